#include "platform/Canvas.h"
#include "platform/FontFaces.h"
#include "platform/Mnemonic.h"
#include "platform/RichEdit.h"

#include <QGuiApplication>
#include <QTest>

using namespace quorvane;

namespace {
constexpr ColorRef kBlack = 0;
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kRed = rgbColour(255, 0, 0);

QImage whiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The rectangle that holds every non-white pixel.
QRect inked(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                box |= QRect(x, y, 1, 1);
    return box;
}
} // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void accessKeyMarks_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("underline");
        QTest::newRow("marked first letter")
            << QStringLiteral("&File") << QStringLiteral("File") << 0;
        QTest::newRow("Chinese after the key")
            << QStringLiteral("&E完全匹配") << QStringLiteral("E完全匹配") << 0;
        QTest::newRow("double ampersand is plain")
            << QStringLiteral("A&&B") << QStringLiteral("A&B") << -1;
        QTest::newRow("plain ampersand, then a key")
            << QStringLiteral("&&&x") << QStringLiteral("&x") << 1;
        QTest::newRow("trailing ampersand shown")
            << QStringLiteral("a&") << QStringLiteral("a&") << -1;
        QTest::newRow("first mark wins")
            << QStringLiteral("E&xit &Now") << QStringLiteral("Exit Now") << 1;
        QTest::newRow("no mark") << QStringLiteral("复制") << QStringLiteral("复制") << -1;
    }
    void accessKeyMarks() {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QFETCH(int, underline);
        const Mnemonic::Parsed parsed = Mnemonic::parse(caption);
        QCOMPARE(parsed.text, shown);
        QCOMPARE(parsed.underline, qsizetype(underline));
        QCOMPARE(Mnemonic::stripped(caption), shown);
        QCOMPARE(Mnemonic::key(caption), underline < 0 ? QChar() : shown[underline]);
    }

    void initTestCase() { FontFaces::installSubstitutions(); }
    void shapesKeepInsideTheirRightAndBottomEdge_data();
    void shapesKeepInsideTheirRightAndBottomEdge();
    void rasterOperationsCombineSourceAndDestination();
    void transparentDrawLeavesTheKeyColourOut();
    void textFlagsPlaceAndMeasure();
    void floodFillStopsAtTheBorder();
    void wrappedLinesStandApart_data();
    void wrappedLinesStandApart();
    void pointFontsGrowWithResolution();
    void colourValuesResolve_data();
    void colourValuesResolve();
    void clNoneHasNoColour();
};

void TestCanvas::shapesKeepInsideTheirRightAndBottomEdge_data() {
    QTest::addColumn<int>("shape");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("line to (8,2) leaves the end out") << 0 << QRect(2, 2, 6, 1);
    QTest::newRow("vertical line") << 1 << QRect(3, 1, 1, 7);
    QTest::newRow("rectangle (2,2,10,7)") << 2 << QRect(2, 2, 8, 5);
    QTest::newRow("fillRect (2,2,10,7)") << 3 << QRect(2, 2, 8, 5);
    QTest::newRow("rectangle without pen") << 4 << QRect(2, 2, 7, 4);
}

void TestCanvas::shapesKeepInsideTheirRightAndBottomEdge() {
    QFETCH(int, shape);
    QFETCH(QRect, expected);
    QImage image = whiteImage(16, 12);
    {
        Canvas canvas(image);
        canvas.setPen({PenStyle::Solid, 1, kBlack});
        canvas.setBrush({BrushStyle::Solid, kRed});
        switch (shape) {
        case 0:
            canvas.moveTo(2, 2);
            canvas.lineTo(8, 2);
            QCOMPARE(canvas.position(), QPoint(8, 2));
            break;
        case 1:
            canvas.moveTo(3, 1);
            canvas.lineTo(3, 8);
            break;
        case 2:
            canvas.rectangle(2, 2, 10, 7);
            break;
        case 3:
            canvas.fillRect(QRect(QPoint(2, 2), QPoint(9, 6)));
            break;
        case 4:
            canvas.setPen({PenStyle::Null, 1, kBlack});
            canvas.rectangle(2, 2, 10, 7);
            break;
        }
    }
    QCOMPARE(inked(image), expected);
    if (shape == 2) {
        QCOMPARE(image.pixel(2, 2), qRgb(0, 0, 0));   // outline
        QCOMPARE(image.pixel(5, 4), qRgb(255, 0, 0)); // brush inside
    }
}

void TestCanvas::rasterOperationsCombineSourceAndDestination() {
    QImage source(1, 1, QImage::Format_RGB32);
    source.fill(qRgb(0x0F, 0xF0, 0x33));
    const struct {
        quint32 rop;
        QRgb expected;
    } cases[] = {
        {Rop::SRCCOPY, qRgb(0x0F, 0xF0, 0x33)},    {Rop::SRCAND, qRgb(0x0C, 0xA0, 0x22)},
        {Rop::SRCPAINT, qRgb(0x3F, 0xF5, 0xBB)},   {Rop::SRCINVERT, qRgb(0x33, 0x55, 0x99)},
        {Rop::NOTSRCCOPY, qRgb(0xF0, 0x0F, 0xCC)}, {Rop::DSTINVERT, qRgb(0xC3, 0x5A, 0x55)},
    };
    for (const auto& c : cases) {
        QImage target(1, 1, QImage::Format_RGB32);
        target.fill(qRgb(0x3C, 0xA5, 0xAA));
        {
            Canvas canvas(target);
            canvas.bitBlt(0, 0, 1, 1, source, 0, 0, c.rop);
        }
        QCOMPARE(QString::number(target.pixel(0, 0) & 0xFFFFFF, 16),
                 QString::number(c.expected & 0xFFFFFF, 16));
    }
}

void TestCanvas::transparentDrawLeavesTheKeyColourOut() {
    QImage glyph(2, 1, QImage::Format_RGB32);
    glyph.setPixel(0, 0, qRgb(255, 0, 255));
    glyph.setPixel(1, 0, qRgb(0, 0, 255));
    QImage image = whiteImage(4, 2);
    {
        Canvas canvas(image);
        canvas.transparentDraw(1, 1, glyph, rgbColour(255, 0, 255));
    }
    QCOMPARE(image.pixel(1, 1), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(2, 1), qRgb(0, 0, 255));
}

void TestCanvas::textFlagsPlaceAndMeasure() {
    QImage image = whiteImage(200, 100);
    Canvas canvas(image);
    LogFont font;
    font.height = -16;
    canvas.setFont(font);
    canvas.setBkMode(BkMode::Transparent);
    const int line = canvas.textHeight(QStringLiteral("成"));
    const int wide = canvas.textWidth(QStringLiteral("成语词典"));
    QVERIFY(line >= 16);

    QRect measured(10, 10, 1000, 0);
    QCOMPARE(canvas.drawText(QStringLiteral("成语&词典"), measured, DT::CALCRECT), line);
    QCOMPARE(measured, QRect(10, 10, wide, line)); // "&" marks a letter, it is not drawn

    QRect wrapped(0, 0, wide / 2 + 1, 0);
    canvas.drawText(QStringLiteral("成语词典"), wrapped, DT::CALCRECT | DT::WORDBREAK);
    QCOMPARE(wrapped.height(), 2 * line);
    QVERIFY(wrapped.width() <= wide / 2 + 1);

    QRect twoLines(0, 0, 300, 0);
    canvas.drawText(QStringLiteral("a\r\nb"), twoLines, DT::CALCRECT | DT::NOPREFIX);
    QCOMPARE(twoLines.height(), 2 * line);

    QRect box(0, 0, 200, 100);
    canvas.drawText(QStringLiteral("成语"), box, DT::RIGHT | DT::BOTTOM | DT::SINGLELINE);
    const QRect ink = inked(image);
    QVERIFY2(ink.right() >= 195 && ink.bottom() >= 90 && ink.left() > 150,
             qPrintable(QStringLiteral("%1 %2 %3 %4")
                            .arg(ink.left())
                            .arg(ink.top())
                            .arg(ink.right())
                            .arg(ink.bottom())));
}

void TestCanvas::wrappedLinesStandApart_data() {
    QTest::addColumn<int>("pixels"); // character height
    QTest::addColumn<int>("spacing");
    QTest::newRow("entry text, 16 px") << 16 << RichEdit::kLineSpacingPercent;
    QTest::newRow("entry text, 100 px (paper)") << 100 << RichEdit::kLineSpacingPercent;
    QTest::newRow("other text keeps GDI's lines") << 16 << 100;
}

// "一" is one thin stroke: each wrapped line inks one band, and the bands' distance is the
// distance of the lines.
void TestCanvas::wrappedLinesStandApart() {
    QFETCH(int, pixels);
    QFETCH(int, spacing);
    QImage image = whiteImage(pixels * 3, pixels * 12);
    Canvas canvas(image);
    LogFont font;
    font.height = -pixels;
    canvas.setFont(font);
    canvas.setBkMode(BkMode::Transparent);
    canvas.setLineSpacing(spacing);
    const int line = canvas.textHeight(QStringLiteral("一"));
    QRect box(0, 0, image.width(), image.height());
    canvas.drawText(QString(8, QChar(u'一')), box, DT::WORDBREAK | DT::NOPREFIX);

    QList<int> bandTops;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        if (ink && !inBand)
            bandTops << y;
        inBand = ink;
    }
    QVERIFY2(bandTops.size() >= 3, qPrintable(QString::number(bandTops.size())));
    for (qsizetype i = 1; i < bandTops.size(); ++i) {
        const int step = bandTops[i] - bandTops[i - 1];
        QVERIFY2(qAbs(step - line * spacing / 100.0) <= 1.0,
                 qPrintable(QStringLiteral("step %1, line %2").arg(step).arg(line)));
    }
}

void TestCanvas::floodFillStopsAtTheBorder() {
    QImage image = whiteImage(10, 10);
    Canvas canvas(image);
    canvas.setPen({PenStyle::Solid, 1, kBlack});
    canvas.setBrush({BrushStyle::Clear, kWhite});
    canvas.rectangle(2, 2, 8, 8);
    canvas.setBrush({BrushStyle::Solid, kRed});
    QVERIFY(canvas.floodFill(4, 4, kBlack, FloodType::Border));
    QCOMPARE(canvas.pixel(4, 4), kRed);
    QCOMPARE(canvas.pixel(6, 6), kRed);
    QCOMPARE(canvas.pixel(2, 2), kBlack);
    QCOMPARE(canvas.pixel(0, 0), kWhite);
    QVERIFY(!canvas.floodFill(2, 2, kBlack, FloodType::Border)); // on the border itself
}

void TestCanvas::pointFontsGrowWithResolution() {
    QCOMPARE(Canvas::pointFont(QStringLiteral("宋体"), 12, 96).height, -16);
    QCOMPARE(Canvas::pointFont(QStringLiteral("宋体"), 12, 600).height, -100);
}

void TestCanvas::colourValuesResolve_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("clRed") << 0x000000FFu << QColor(255, 0, 0);
    QTest::newRow("clBlue") << 0x00FF0000u << QColor(0, 0, 255);
    QTest::newRow("mixed") << 0x00123456u << QColor(0x56, 0x34, 0x12);
    QTest::newRow("clWindowText") << 0x80000008u << QColor(0, 0, 0);
    QTest::newRow("clWindow") << 0x80000005u << QColor(255, 255, 255);
    QTest::newRow("clBtnFace") << 0x8000000Fu << QColor(212, 208, 200);
    QTest::newRow("clHighlight") << 0x8000000Du << QColor(10, 36, 106);
    QTest::newRow("cl3DDkShadow") << 0x80000015u << QColor(64, 64, 64);
    QTest::newRow("clInfoBk") << 0x80000018u << QColor(255, 255, 225);
    QTest::newRow("unknown system colour") << 0x80000040u << QColor(0, 0, 0);
}

void TestCanvas::colourValuesResolve() {
    QFETCH(quint32, value);
    QFETCH(QColor, colour);
    QCOMPARE(toQColor(value), colour);
}

// clNone resolves to no colour; the canvas paints nothing with it.
void TestCanvas::clNoneHasNoColour() {
    QVERIFY(!toQColor(clNone).isValid());
    QVERIFY(toQColor(0).isValid());
    QImage image = whiteImage(40, 20);
    {
        Canvas canvas(image);
        canvas.fillRect(QRect(0, 0, 40, 20), {BrushStyle::Solid, clNone});
        canvas.setPen({PenStyle::Solid, 1, clNone});
        canvas.moveTo(0, 10);
        canvas.lineTo(40, 10);
        canvas.setTextColour(clNone);
        canvas.setBkColour(clNone);
        QRect box(0, 0, 40, 20);
        canvas.drawText(QStringLiteral("WW"), box, DT::SINGLELINE);
    }
    QCOMPARE(inked(image), QRect());
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"

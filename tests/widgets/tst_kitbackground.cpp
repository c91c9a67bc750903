#include "platform/FontFaces.h"
#include "widgets/kit/VyrGradientFill.h"
#include "widgets/kit/VyrTBackground.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;

namespace {
constexpr ColorRef kBegin = rgbColour(0, 100, 200), kEnd = rgbColour(255, 100, 0);

QImage filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage painted(const TVyrBackground& background, int w, int h) {
    QImage image = filled(w, h, qRgb(0, 0, 0));
    Canvas dc(image);
    background.PaintTo(dc, w, h);
    return image;
}

// Step i of 32 from kBegin to kEnd: red MulDiv(i, 255, 31), blue 200 - MulDiv(i, 200, 31),
// a 0 made 1. Worked out by hand for the steps the rows use.
QRgb step(int i) {
    switch (i) {
    case -1: // the first colour, filled before any step
        return qRgb(0, 100, 200);
    case -2: // the mirrored colour of step 0
        return qRgb(255, 100, 0);
    case 0:
        return qRgb(1, 100, 200);
    case 15:
        return qRgb(123, 100, 103);
    case 31:
        return qRgb(255, 100, 1);
    }
    return 0;
}
} // namespace

class TestKitBackground : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontFaces::installSubstitutions(); }
    void gradientBands_data();
    void gradientBands();
    void segmentsSkipWhatIsNoColour();
    void textureTilesAndCentres();
    void brushFills_data();
    void brushFills();
    void filledTextFillsOnlyTheLetters_data();
    void filledTextFillsOnlyTheLetters();
};

void TestKitBackground::gradientBands_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("expectedStep");
    using G = TVyrGradient;
    QTest::newRow("horizontal, first band") << int(G::Horizontal) << QPoint(0, 0) << 0;
    QTest::newRow("horizontal, middle band") << int(G::Horizontal) << QPoint(300, 66) << 15;
    QTest::newRow("horizontal, last band reaches the bottom")
        << int(G::Horizontal) << QPoint(5, 131) << 31;
    QTest::newRow("vertical, middle") << int(G::Vertical) << QPoint(200, 10) << 15;
    QTest::newRow("vertical, last") << int(G::Vertical) << QPoint(399, 0) << 31;
    QTest::newRow("left-bottom corner") << int(G::LeftBottom) << QPoint(399, 131) << 31;
    QTest::newRow("left-bottom origin") << int(G::LeftBottom) << QPoint(0, 0) << 0;
    QTest::newRow("square middle, centre") << int(G::SquareMiddle) << QPoint(200, 66) << 31;
    QTest::newRow("square middle, corner") << int(G::SquareMiddle) << QPoint(0, 0) << 0;
    QTest::newRow("circle origin") << int(G::Circle) << QPoint(0, 0) << 0;
    QTest::newRow("spectral: even lines mirrored") << int(G::Spectral) << QPoint(0, 0) << -2;
    QTest::newRow("doppel flash leaves the top-right corner")
        << int(G::DoppelFlash) << QPoint(399, 0) << -1;
    for (const int style : {G::RoundMiddle, G::Singleflash, G::MiddleHBar, G::MiddleVBar,
                            G::VerticalDoppelBar, G::HorizontalDoppelBar})
        QTest::addRow("%s leaves the corner in the first colour",
                      QMetaEnum::fromType<G::TVyrFillStyle>().valueToKey(style))
            << style << QPoint(0, 0) << -1;
}

void TestKitBackground::gradientBands() {
    QFETCH(int, style);
    QFETCH(QPoint, at);
    QFETCH(int, expectedStep);
    TVyrBackground background;
    background.setSolidColor(rgbColour(9, 9, 9)); // never shows
    background.gradient()->setBeginColor(kBegin);
    background.gradient()->setEndColor(kEnd);
    background.gradient()->setFillStyle(TVyrGradient::TVyrFillStyle(style));
    const QImage image = painted(background, 400, 132);
    QCOMPARE(QColor(image.pixel(at)), QColor(step(expectedStep)));
    for (int y = 0; y < 132; y += 11)
        for (int x = 0; x < 400; x += 13)
            QVERIFY(image.pixel(x, y) != qRgb(9, 9, 9));
}

void TestKitBackground::segmentsSkipWhatIsNoColour() {
    TVyrBackground background;
    QSignalSpy changes(&background, &TVyrBackground::changed);
    TVyrGradient* gradient = background.gradient();
    gradient->setBeginColor(kBegin);
    gradient->setEndColor(kEnd);
    gradient->setColorsInBetween({QStringLiteral("clRed"), QStringLiteral("not a colour")});
    gradient->setColorCount(1);
    gradient->setColorCount(300);
    QCOMPARE(gradient->colorCount(), 32);
    QCOMPARE(changes.size(), 5);
    QCOMPARE(gradient->fill(0, true).colours, (QList<ColorRef>{kBegin, 0xFF, kEnd}));
    QCOMPARE(gradient->fill(0, false).colours, (QList<ColorRef>{kEnd, 0xFF, kBegin}));
    // Two segments of 67 rows: red closes the first, the second's bands start at row 67.
    const QImage image = painted(background, 400, 132);
    QCOMPARE(QColor(image.pixel(0, 66)), QColor(255, 1, 1));
    QCOMPARE(QColor(image.pixel(0, 131)), QColor(255, 97, 1));
}

void TestKitBackground::textureTilesAndCentres() {
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        picture.setPixel(i % 3, i / 3, qRgb(10 * i + 10, 0, 0));
    TVyrBackground background;
    background.setBackgroundStyle(TVyrBackground::bTexture);
    background.texture()->setImage(picture);
    QImage image = painted(background, 7, 5);
    QCOMPARE(image.pixel(6, 4), picture.pixel(0, 0));
    QCOMPARE(image.pixel(4, 3), picture.pixel(1, 1));

    background.texture()->setImageStyle(TVyrTexture::isCenter);
    background.texture()->setTransparentColor(rgbColour(60, 0, 0));
    background.texture()->setTransparentBackground(rgbColour(0, 0, 255));
    image = painted(background, 7, 5);
    QCOMPARE(image.pixel(2, 1), picture.pixel(0, 0));
    QCOMPARE(image.pixel(4, 2), qRgb(0, 0, 255)); // the replaced colour
    QCOMPARE(image.pixel(1, 1), qRgb(0, 0, 0));   // the rest stays as it was
    image = painted(background, 2, 1);            // larger than the area: from (0, 0), cut off
    QCOMPARE(image.pixel(1, 0), picture.pixel(1, 0));
}

void TestKitBackground::brushFills_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("brush");
    QTest::addColumn<int>("brushRows"); // rows of 16 holding the brush colour
    QTest::addColumn<QRgb>("between");
    using B = TVyrBrushFill;
    QTest::newRow("hatch on white") << int(TVyrBackground::bBrushFillUseCurrent)
                                    << int(B::bsHorizontal) << 2 << qRgb(255, 255, 255);
    QTest::newRow("hatch on the solid colour") << int(TVyrBackground::bBrushFillSolidColor)
                                               << int(B::bsHorizontal) << 2 << qRgb(0, 255, 0);
    QTest::newRow("solid brush") << int(TVyrBackground::bBrushFillUseCurrent) << int(B::bsSolid)
                                 << 16 << qRgb(0, 0, 255);
}

void TestKitBackground::brushFills() {
    QFETCH(int, style);
    QFETCH(int, brush);
    QFETCH(int, brushRows);
    QFETCH(QRgb, between);
    TVyrBackground background;
    background.setBackgroundStyle(TVyrBackground::TVyrBackStyle(style));
    background.setSolidColor(rgbColour(0, 255, 0));
    background.brushFill()->setBrushStyle(TVyrBrushFill::TBrushStyle(brush));
    background.brushFill()->setBrushColor(rgbColour(0, 0, 255));
    const QImage image = painted(background, 16, 16);
    int rows = 0;
    for (int y = 0; y < 16; ++y) {
        const bool line = image.pixel(0, y) == qRgb(0, 0, 255);
        rows += line;
        for (int x = 0; x < 16; ++x)
            QCOMPARE(image.pixel(x, y), line ? qRgb(0, 0, 255) : between);
    }
    QCOMPARE(rows, brushRows);
}

void TestKitBackground::filledTextFillsOnlyTheLetters_data() {
    QTest::addColumn<bool>("maskFont");
    QTest::addColumn<QRgb>("inside");
    QTest::newRow("letters show the painting") << false << qRgb(255, 0, 0);
    QTest::newRow("mask: letters come out white") << true << qRgb(255, 255, 255);
}

void TestKitBackground::filledTextFillsOnlyTheLetters() {
    QFETCH(bool, maskFont);
    QFETCH(QRgb, inside);
    LogFont font;
    font.faceName = QStringLiteral("楷体_GB2312");
    font.height = -24;
    font.colour = rgbColour(0, 0, 255);
    font.quality = LogFont::NonAntialiased;
    const QRect rect(5, 5, 80, 40);
    QImage letters = filled(90, 50, qRgb(128, 128, 128));
    {
        Canvas dc(letters);
        dc.setFont(font);
        dc.setBkMode(BkMode::Transparent);
        dc.setTextColour(font.colour);
        QRect at = rect;
        dc.drawText(QStringLiteral("田"), at, 0);
    }
    TVyrBackground red;
    red.setBackgroundStyle(TVyrBackground::bSolidcolor);
    red.setSolidColor(rgbColour(255, 0, 0));
    TVyrFont3D font3D;
    font3D.setThreeDimensional(false);
    font3D.setMaskFont(maskFont);
    QImage image = filled(90, 50, qRgb(128, 128, 128));
    {
        Canvas dc(image);
        red.DrawTextFilled(font3D, font, dc, rect, QStringLiteral("田"), 0);
    }
    int ink = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 90; ++x) {
            const bool letter = letters.pixel(x, y) == qRgb(0, 0, 255);
            ink += letter;
            QCOMPARE(image.pixel(x, y), letter ? inside : qRgb(128, 128, 128));
        }
    QVERIFY(ink > 40);
}

QTEST_MAIN(TestKitBackground)
#include "tst_kitbackground.moc"

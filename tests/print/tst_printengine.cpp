// The printing engine on a recording printer of 600 pixels per inch (the screen has 96).
#include "FakePrinter.h"
#include "platform/Canvas.h"
#include "platform/Printer.h"
#include "platform/QuorvaneError.h"
#include "print/ControlTree.h"
#include "print/TPrintAtOnce.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;
using namespace PrintTypes;

namespace quorvane {
// A shape as the kit publishes it: its kind, pen and brush as properties.
class TShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int shape MEMBER shape)
    Q_PROPERTY(int penWidth MEMBER penWidth)
public:
    using QWidget::QWidget;
    int shape = 0;
    int penWidth = 1;
};
} // namespace quorvane

namespace {
bool ink(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Bounds of the dark pixels inside `area` of a page.
QRect inkBounds(const QImage& page, const QRect& area) {
    QRect found;
    const QRect r = area & page.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (ink(page.pixel(x, y)))
                found |= QRect(x, y, 1, 1);
    return found;
}

// A printed window: a panel at the window's origin, the engine's root.
struct Form {
    QWidget window;
    QFrame* panel = new QFrame(&window);
    TPrintAtOnce* engine = new TPrintAtOnce(&window);
    Form() {
        window.resize(400, 600);
        panel->setGeometry(0, 0, 400, 600);
        engine->setControl(panel);
        engine->WinControlPrintType = ptNone;
    }
    QLineEdit* edit(const QRect& geometry, const QString& text = QString()) {
        auto* edit = new QLineEdit(text, panel);
        edit->setGeometry(geometry);
        return edit;
    }
};
} // namespace

class TestPrintEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void previewBreaksLinesAsThePrinter_data();
    void previewBreaksLinesAsThePrinter();
    void scalesScreenToPrinter();
    void pageBreaks_data();
    void pageBreaks();
    void titleLowersTextNotPictures();
    void pageNumberBands_data();
    void pageNumberBands();
    void verticalLayoutOfSeveralLines_data();
    void verticalLayoutOfSeveralLines();
    void hiddenRootPrintsHiddenChildrenDoNot();
    void failedRunIsAborted();
    void paperSizes();
    void cutNeverSplitsACharacter_data();
    void cutNeverSplitsACharacter();
    void shapesKeepTheirGeometry_data();
    void shapesKeepTheirGeometry();
};

void TestPrintEngine::scalesScreenToPrinter() {
    FakePrinterScope scope;
    Form form;
    form.engine->WinControlPrintType = ptFrame;
    form.edit({0, 0, 100, 20});
    form.engine->Print();
    QCOMPARE(form.engine->ScaleX, 6.25);
    QCOMPARE(form.engine->ContentHeight, 1800 - 250);
    const QImage& page = scope.printer.pages.at(0);
    // The frame's left line: at the 125-pixel margin, 6 device pixels wide.
    const QRect left = inkBounds(page, {100, 180, 50, 1});
    QCOMPARE(left.width(), 6);
    QVERIFY(left.left() <= 125 && left.right() >= 125);
    const QRect top = inkBounds(page, {300, 100, 1, 50});
    QCOMPARE(top.height(), 6);
    QVERIFY(top.top() <= 125 && top.bottom() >= 125);
    QCOMPARE(scope.printer.log,
             QStringList({QStringLiteral("begin Quorvane"), QStringLiteral("end")}));
}

void TestPrintEngine::pageBreaks_data() {
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lineY"); // where the control's top line lands on the last page
    // The band is 1550 device pixels: 248 screen pixels below the 20-pixel margin.
    QTest::newRow("fits") << 200 << 20 << 1 << (20 + 200) * 25 / 4;
    QTest::newRow("crosses the band") << 240 << 20 << 2 << 125;
    QTest::newRow("taller than the band") << 10 << 300 << 1 << (20 + 10) * 25 / 4;
}

void TestPrintEngine::pageBreaks() {
    QFETCH(int, top);
    QFETCH(int, height);
    QFETCH(int, pages);
    QFETCH(int, lineY);
    FakePrinterScope scope;
    Form form;
    form.engine->WinControlPrintType = ptTopBottom;
    form.edit({0, top, 100, height});
    form.engine->Print();
    QCOMPARE(int(scope.printer.pages.size()), pages);
    const QRect line = inkBounds(scope.printer.pages.last(), {300, 0, 1, 1800});
    QVERIFY2(line.top() <= lineY && line.top() + 6 > lineY,
             qPrintable(QString::number(line.top())));
}

void TestPrintEngine::titleLowersTextNotPictures() {
    FakePrinterScope scope;
    Form form;
    form.engine->WinControlPrintType = ptTopBottom;
    form.engine->PrintTitle = true;
    form.engine->Title = QStringLiteral("T");
    form.edit({0, 100, 60, 20});
    auto* picture = new QLabel(form.panel);
    QPixmap black(10, 10);
    black.fill(Qt::black);
    picture->setPixmap(black);
    picture->setGeometry(100, 100, 10, 10);
    form.engine->Print();
    const QImage& page = scope.printer.pages.at(0);
    const int textTop = inkBounds(page, {300, 400, 1, 800}).top() + 3; // centre of the pen
    const int pictureTop = inkBounds(page, {800, 400, 1, 800}).top();
    QCOMPARE(pictureTop, 120 * 25 / 4);
    QVERIFY(form.engine->TitleHeight > 0);
    QCOMPARE(textTop - pictureTop, form.engine->TitleHeight);
}

void TestPrintEngine::pageNumberBands_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("offsetY");
    QTest::newRow("top left") << int(pnTopLeft) << 20;
    QTest::newRow("top right") << int(pnTopRight) << 20;
    QTest::newRow("top centre") << int(pnTopCenter) << 20;
    QTest::newRow("bottom left") << int(pnBottomLeft) << 20;
    QTest::newRow("bottom right") << int(pnBottomRight) << 20;
    QTest::newRow("bottom centre") << int(pnBottomCenter) << 20;
    QTest::newRow("top margin lower than the text") << int(pnTopCenter) << 2;
}

void TestPrintEngine::pageNumberBands() {
    QFETCH(int, position);
    QFETCH(int, offsetY);
    FakePrinterScope scope;
    Form form;
    form.engine->PrintPageNumber = true;
    form.engine->PageNumberPosition = TPageNumberPosition(position);
    form.engine->OffsetY = offsetY;
    form.engine->Print();
    const QImage& page = scope.printer.pages.at(0);
    const QRect number = inkBounds(page, page.rect());
    QVERIFY(!number.isEmpty());
    const bool atTop = position <= pnTopCenter;
    const int band = TPrintAtOnce::round(offsetY * 6.25);
    if (offsetY == 2)
        QCOMPARE(number.top(), 0); // starts above the sheet and is cut
    else if (atTop)
        QVERIFY(number.top() >= 0 && number.bottom() < band);
    else
        QVERIFY(number.top() >= 1800 - 125 && number.bottom() < 1800);
    // The band's middle holds the middle of the text line.
    if (offsetY != 2) {
        const int middle = atTop ? band / 2 : 1800 - 125 / 2;
        QVERIFY(std::abs((number.top() + number.bottom()) / 2 - middle) < 15);
    }
    const int column = position % 3; // left, right, centre
    if (column == 0)
        QVERIFY(number.left() >= 125 && number.left() < 140);
    else if (column == 1)
        QVERIFY(number.right() <= 1250 - 125 && number.right() > 1250 - 140);
    else
        QVERIFY(std::abs((number.left() + number.right()) / 2 - 625) < 10);
}

void TestPrintEngine::verticalLayoutOfSeveralLines_data() {
    QTest::addColumn<int>("alignment");
    QTest::newRow("top") << int(Qt::AlignTop);
    QTest::newRow("centre") << int(Qt::AlignVCenter);
    QTest::newRow("bottom") << int(Qt::AlignBottom);
}

void TestPrintEngine::verticalLayoutOfSeveralLines() {
    QFETCH(int, alignment);
    FakePrinterScope scope;
    Form form;
    auto* label = new QLabel(QStringLiteral("一二\n三四"), form.panel);
    label->setGeometry(0, 0, 200, 160);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::Alignment(alignment));
    form.engine->Print();
    const QRect text = inkBounds(scope.printer.pages.at(0), {0, 0, 1250, 1800});
    // The box runs from 125 to 1125 device pixels; the two lines take about 230 of them.
    QVERIFY(text.height() > 150);
    const int boxTop = 125, boxBottom = 125 + 1000;
    if (alignment == Qt::AlignTop)
        QVERIFY(text.top() - boxTop < 40);
    else if (alignment == Qt::AlignBottom)
        QVERIFY(boxBottom - text.bottom() < 40 && boxBottom >= text.bottom());
    else
        QVERIFY(std::abs((text.top() + text.bottom()) / 2 - (boxTop + boxBottom) / 2) < 30);
}

void TestPrintEngine::hiddenRootPrintsHiddenChildrenDoNot() {
    FakePrinterScope scope;
    Form form;
    form.engine->WinControlPrintType = ptFrame;
    form.panel->hide();
    form.edit({0, 0, 50, 20});
    form.edit({0, 100, 50, 20})->hide();
    form.engine->Print();
    const QImage& page = scope.printer.pages.at(0);
    QVERIFY(!inkBounds(page, {100, 100, 400, 160}).isEmpty());
    QVERIFY(inkBounds(page, {100, 700, 400, 160}).isEmpty());
}

void TestPrintEngine::failedRunIsAborted() {
    FakePrinterScope scope;
    Form form;
    form.edit({0, 240, 100, 20});
    scope.printer.failAtPage = 2;
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, form.engine->Print());
    QCOMPARE(scope.printer.log.last(), QStringLiteral("abort"));
    QVERIFY(!scope.printer.log.contains(QStringLiteral("end")));
    // The printer takes the next document.
    scope.printer.failAtPage = 0;
    form.engine->Print();
    QCOMPARE(scope.printer.log.last(), QStringLiteral("end"));
}

void TestPrintEngine::paperSizes() {
    FakePrinterScope scope;
    {
        TPrintAtOnce engine;
        engine.setPaperSize(Default);
        QCOMPARE(QSize(engine.paperWidth(), engine.paperHeight()), QSize(530, 760));
        QVERIFY(scope.printer.log.isEmpty());
        engine.setPaperSize(A4);
        QCOMPARE(QSize(engine.paperWidth(), engine.paperHeight()), QSize(2100, 2970));
        QCOMPARE(scope.printer.log.last(), QStringLiteral("paper PrintAtOnce Defined 210x297"));
        engine.setPaperWidth(1000); // only a custom size takes a width
        QCOMPARE(engine.paperWidth(), 2100);
        engine.setPaperSize(Custom);
        QCOMPARE(QSize(engine.paperWidth(), engine.paperHeight()), QSize(2100, 2970));
        const qsizetype calls = scope.printer.log.size();
        engine.setPaperWidth(1000);
        QCOMPARE(scope.printer.log.size(), calls + 1);
        QCOMPARE(scope.printer.log.last(), QStringLiteral("paper PrintAtOnce Defined 100x297"));
        engine.setPaperWidth(1000);
        QCOMPARE(scope.printer.log.size(), calls + 1);
    }
    // The engine gives the paper it found back.
    QCOMPARE(scope.printer.paper->id(), QPageSize::Letter);
    scope.printer.hasSettings = false;
    scope.printer.log.clear();
    {
        TPrintAtOnce engine;
        engine.setPaperSize(A5);
    }
    QVERIFY(scope.printer.log.isEmpty());
}

void TestPrintEngine::cutNeverSplitsACharacter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("units");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short") << QStringLiteral("ab") << 1023 << QStringLiteral("ab");
    QTest::newRow("ascii") << QStringLiteral("abcdef") << 3 << QStringLiteral("abc");
    QTest::newRow("whole characters") << QStringLiteral("一二三") << 4 << QStringLiteral("一二");
    QTest::newRow("half a character left out")
        << QStringLiteral("a一二") << 4 << QStringLiteral("a一");
    QTest::newRow("four-unit character")
        << QStringLiteral("a\U00020000b") << 4 << QStringLiteral("a");
}

void TestPrintEngine::cutNeverSplitsACharacter() {
    QFETCH(QString, text);
    QFETCH(int, units);
    QFETCH(QString, expected);
    QCOMPARE(ControlTree::cutToUnits(text, units), expected);
}

void TestPrintEngine::shapesKeepTheirGeometry_data() {
    QTest::addColumn<int>("shape");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("box"); // device pixels, before the pen's half width
    QTest::newRow("rectangle") << 0 << QSize(40, 20) << QRect(125, 125, 250, 125);
    QTest::newRow("circle in a wide shape") << 5 << QSize(40, 20) << QRect(188, 125, 125, 125);
    QTest::newRow("rounded square in a tall shape")
        << 3 << QSize(20, 40) << QRect(125, 188, 125, 125);
}

void TestPrintEngine::shapesKeepTheirGeometry() {
    QFETCH(int, shape);
    QFETCH(QSize, size);
    QFETCH(QRect, box);
    FakePrinterScope scope;
    Form form;
    auto* widget = new TShape(form.panel);
    widget->shape = shape;
    widget->setGeometry(QRect(QPoint(0, 0), size));
    form.engine->Print();
    const QRect drawn = inkBounds(scope.printer.pages.at(0), {0, 0, 600, 600});
    // The 6-pixel pen is centred on the outline, which ends a pixel inside the box.
    QVERIFY2(std::abs(drawn.left() - (box.left() - 3)) <= 1,
             qPrintable(QString::number(drawn.left())));
    QVERIFY2(std::abs(drawn.top() - (box.top() - 3)) <= 1,
             qPrintable(QString::number(drawn.top())));
    QVERIFY2(std::abs(drawn.right() - (box.right() + 3)) <= 2,
             qPrintable(QString::number(drawn.right())));
    QVERIFY2(std::abs(drawn.bottom() - (box.bottom() + 3)) <= 2,
             qPrintable(QString::number(drawn.bottom())));
}

void TestPrintEngine::previewBreaksLinesAsThePrinter_data() {
    QTest::addColumn<int>("dpi");
    QTest::newRow("300") << 300;
    QTest::newRow("600") << 600;
    QTest::newRow("1200") << 1200;
}

// A preview page draws in the printer's pixels on a small picture: the lines of a long text
// break there exactly as on the printer's own surface, or the pages would differ.
void TestPrintEngine::previewBreaksLinesAsThePrinter() {
    QFETCH(int, dpi);
    QTemporaryDir dir;
    QtPrinter printer(dir.filePath(QStringLiteral("lines.pdf")));
    QVERIFY(printer.pixelsPerInchX() > 0);
    printer.qprinter()->setResolution(dpi);
    QString text = QStringLiteral("【出处】");
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("第%1句 Mixed text, with words; 春风又绿江南岸，明月何时照我还。")
                    .arg(i);
    LogFont font = Canvas::pointFont(QStringLiteral("宋体"), 12, dpi);
    const int width = TPrintAtOnce::round(640 * dpi / 96.0);
    const unsigned format = DT::WORDBREAK | DT::NOPREFIX | DT::EXPANDTABS;
    QStringList onPaper;
    int paperPitch = 0;
    {
        Canvas paper(printer.beginDoc(QStringLiteral("lines")));
        paper.setFont(font);
        onPaper = paper.wrapLines(text, width, format);
        paperPitch = paper.textHeight(QStringLiteral("W"));
        printer.endDoc();
    }
    QImage picture(794, 1123, QImage::Format_RGB32);
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    Canvas preview(picture);
    preview.setLogicalResolution(dpi, dpi);
    QCOMPARE(preview.pixelsPerInchY(), dpi);
    preview.setFont(font);
    QVERIFY(onPaper.size() > 10);
    QCOMPARE(preview.wrapLines(text, width, format), onPaper);
    QCOMPARE(preview.textHeight(QStringLiteral("W")), paperPitch);
}

QTEST_MAIN(TestPrintEngine)
#include "tst_printengine.moc"

#include "widgets/kit/VyrTRoundButton.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;

namespace {
QImage filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage paintedButton(TVyrRoundButton& button, const QImage& behind) {
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    Canvas dc(image);
    button.paintOn(dc, behind);
    return image;
}

// Four 5 × 5 cells: red, green, blue, and greys for the disabled look; black is see-through.
QImage fourCells() {
    QImage image = filled(20, 5, qRgb(255, 0, 0));
    for (int y = 0; y < 5; ++y)
        for (int x = 5; x < 20; ++x)
            image.setPixel(x, y, x < 10 ? qRgb(0, 255, 0) : x < 15 ? qRgb(0, 0, 255) : 0);
    image.setPixel(15, 0, qRgb(255, 255, 255)); // S 765: highlight
    image.setPixel(16, 0, qRgb(200, 100, 60));  // S 360: shadow
    image.setPixel(17, 0, qRgb(20, 20, 20));    // S 60: black
    image.setPixel(18, 0, qRgb(250, 250, 60));  // S 560: still highlight with factor 2
    return image;
}
} // namespace

class TestKitRoundButton : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void circleFollowsTheWidth_data();
    void circleFollowsTheWidth();
    void clicksOnlyInsideTheCircle();
    void rimSinksWhilePressed();
    void faceShowsTheBackOnlyInside();
    void parentPaintingInTheUnusedColourShowsTheBack_data();
    void parentPaintingInTheUnusedColourShowsTheBack();
    void glyphCells_data();
    void glyphCells();
};

void TestKitRoundButton::circleFollowsTheWidth_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    // The About button: 19 × 21, radius 8 around (9, 10).
    QTest::newRow("centre") << QPoint(9, 10) << true;
    QTest::newRow("rim right") << QPoint(17, 10) << true;
    QTest::newRow("past the rim") << QPoint(18, 10) << false;
    QTest::newRow("rim top") << QPoint(9, 2) << true;
    QTest::newRow("above") << QPoint(9, 1) << false;
    QTest::newRow("8.49 rounds to 8") << QPoint(3, 4) << true;
    QTest::newRow("corner") << QPoint(0, 0) << false;
}

void TestKitRoundButton::circleFollowsTheWidth() {
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    TVyrRoundButton button;
    QCOMPARE(button.size(), QSize(25, 25));
    button.resize(19, 21);
    QCOMPARE(button.IsInCircle(point.x(), point.y()), inside);
}

void TestKitRoundButton::clicksOnlyInsideTheCircle() {
    QWidget window;
    window.resize(60, 60);
    auto* button = new TVyrRoundButton(&window);
    button->setGeometry(10, 10, 25, 25);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(button, &TVyrGraphicControl::clicked);
    const QPoint centre(12, 12), corner(1, 1), outside(23, 2);

    QTest::mousePress(button, Qt::LeftButton, {}, corner);
    QVERIFY(!button->pressed());
    QVERIFY(button->tracking());
    QTest::mouseRelease(button, Qt::LeftButton, {}, corner);
    QCOMPARE(clicks.size(), 0);

    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    QVERIFY(button->pressed());
    QTest::mouseMove(button, outside);
    QVERIFY(!button->pressed()); // pops back up outside the circle
    QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
    QCOMPARE(clicks.size(), 0);
    QVERIFY(!button->tracking());

    QTest::mouseClick(button, Qt::RightButton, {}, centre);
    QCOMPARE(clicks.size(), 1);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre);
    QCOMPARE(clicks.size(), 2);
    QVERIFY(!button->pressed());

    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre);
    QCOMPARE(clicks.size(), 2);

    QSignalSpy enters(button, &TVyrRoundButton::mouseEnter);
    QEnterEvent enter(centre, centre, button->mapToGlobal(centre));
    QApplication::sendEvent(button, &enter);
    QCOMPARE(enters.size(), 1);
}

void TestKitRoundButton::rimSinksWhilePressed() {
    QWidget window;
    auto* button = new TVyrRoundButton(&window);
    auto* red = new TVyrBackground(&window);
    red->setBackgroundStyle(TVyrBackground::bSolidcolor);
    red->setSolidColor(rgbColour(255, 0, 0));
    button->setBackground(red);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRgb light = toQColor(clBtnHighlight).rgb(), dark = toQColor(clBtnShadow).rgb();
    const auto rimColours = [&] {
        // The first rim pixel from the left of the middle row, and the last from the right.
        const QImage image = paintedButton(*button, filled(25, 25, qRgb(0, 0, 128)));
        QRgb left = 0, right = 0;
        for (int x = 1; x < 12 && !left; ++x)
            if (image.pixel(x, 12) == light || image.pixel(x, 12) == dark)
                left = image.pixel(x, 12);
        for (int x = 23; x > 12 && !right; --x)
            if (image.pixel(x, 12) == light || image.pixel(x, 12) == dark)
                right = image.pixel(x, 12);
        return std::pair(left, right);
    };
    QCOMPARE(rimColours(), std::pair(light, dark));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 12));
    QCOMPARE(rimColours(), std::pair(dark, light));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(12, 12));
    QCOMPARE(rimColours(), std::pair(light, dark));

    delete red;
    QCOMPARE(button->background(), nullptr);
}

void TestKitRoundButton::faceShowsTheBackOnlyInside() {
    TVyrRoundButton button;
    button.resize(19, 21);
    QImage behind = filled(19, 21, qRgb(0, 0, 128));
    behind.setPixel(1, 20, qRgb(0, 255, 0)); // the unused colour shows the back too
    QImage image = paintedButton(button, behind);
    QCOMPARE(image.pixel(9, 10), qRgb(255, 255, 255)); // no background: white
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 128));
    QCOMPARE(image.pixel(18, 20), qRgb(0, 0, 128));
    QCOMPARE(image.pixel(1, 20), qRgb(255, 255, 255));
    // The black outline of btNormal fills its box (0, 0, 18, 20) without the right and
    // bottom edge.
    QCOMPARE(image.pixel(0, 10), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(17, 10), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(18, 10), qRgb(0, 0, 128));
    QCOMPARE(image.pixel(9, 19), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(9, 20), qRgb(0, 0, 128));

    // The About picture: 15 × 15 opaque, drawn at (2, 2).
    button.glyph()->setBitmap(filled(15, 15, qRgb(210, 226, 235)));
    button.glyph()->setTransparent(false);
    image = paintedButton(button, behind);
    QCOMPARE(image.pixel(2, 2), qRgb(210, 226, 235));
    QCOMPARE(image.pixel(16, 16), qRgb(210, 226, 235));
    QVERIFY(image.pixel(17, 16) != qRgb(210, 226, 235));
    QVERIFY(image.pixel(1, 2) != qRgb(210, 226, 235));
}

void TestKitRoundButton::parentPaintingInTheUnusedColourShowsTheBack_data() {
    QTest::addColumn<QColor>("parent");
    QTest::addColumn<quint32>("back"); // a solid background component, clNone for none
    QTest::addColumn<QColor>("corner");
    QTest::addColumn<QColor>("centre");
    const QColor lime(0, 255, 0), navy(0, 0, 128), white(255, 255, 255), red(255, 0, 0);
    QTest::newRow("lime parent, no background") << lime << clNone << white << white;
    QTest::newRow("navy parent stays outside") << navy << clNone << navy << white;
    QTest::newRow("lime parent, red background") << lime << rgbColour(255, 0, 0) << red << red;
    QTest::newRow("navy parent, red background") << navy << rgbColour(255, 0, 0) << navy << red;
}

void TestKitRoundButton::parentPaintingInTheUnusedColourShowsTheBack() {
    QFETCH(QColor, parent);
    QFETCH(quint32, back);
    QFETCH(QColor, corner);
    QFETCH(QColor, centre);
    QWidget window;
    window.resize(60, 60);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, parent);
    window.setPalette(palette);
    auto* button = new TVyrRoundButton(&window);
    button->setGeometry(10, 10, 19, 21);
    if (back != clNone) {
        auto* background = new TVyrBackground(&window);
        background->setBackgroundStyle(TVyrBackground::bSolidcolor);
        background->setSolidColor(back);
        button->setBackground(background);
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.repaint();
    const QPoint at = button->mapToGlobal(QPoint(0, 0));
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, at.x(), at.y(), button->width(), button->height())
                              .toImage();
    QCOMPARE(screen.size(), button->size());
    QCOMPARE(screen.pixelColor(0, 0), corner);
    QCOMPARE(screen.pixelColor(18, 20), corner);
    QCOMPARE(screen.pixelColor(9, 10), centre);
}

void TestKitRoundButton::glyphCells_data() {
    QTest::addColumn<int>("cells");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QList<QRgb>>("expected"); // pixels (0..3, 0) and (2, 2)
    const QRgb r = qRgb(255, 0, 0), g = qRgb(0, 255, 0);
    const QRgb light = qRgb(255, 255, 255), dark = qRgb(128, 128, 128);
    const QRgb under = qRgb(255, 0, 255);
    QTest::newRow("up") << 4 << true << false << QList<QRgb>{r, r, r, r, r};
    QTest::newRow("pressed, 4 cells") << 4 << true << true << QList<QRgb>{g, g, g, g, g};
    QTest::newRow("pressed, 3 cells") << 3 << true << true << QList<QRgb>{g, g, g, g, g};
    QTest::newRow("pressed, 2 cells") << 2 << true << true << QList<QRgb>{r, r, r, r, r};
    // Pixels that turn black take the transparent colour (black) and drop out.
    QTest::newRow("disabled: last cell in greys")
        << 4 << false << false << QList<QRgb>{light, dark, under, light, under};
}

void TestKitRoundButton::glyphCells() {
    QFETCH(int, cells);
    QFETCH(bool, enabled);
    QFETCH(bool, pressed);
    QFETCH(QList<QRgb>, expected);
    TVyrGlyph glyph;
    glyph.setBitmap(fourCells().copy(0, 0, 5 * cells, 5));
    glyph.setNumGlyphs(cells);
    glyph.setNumGlyphs(5); // not taken
    QCOMPARE(glyph.numGlyphs(), cells);
    QCOMPARE(glyph.GlyphWidth(), 5);
    QImage image = filled(5, 5, qRgb(255, 0, 255));
    {
        Canvas dc(image);
        glyph.DrawGlyph(dc, 0, 0, enabled, pressed);
    }
    const QList<QRgb> actual{image.pixel(0, 0), image.pixel(1, 0), image.pixel(2, 0),
                             image.pixel(3, 0), image.pixel(2, 2)};
    QCOMPARE(actual, expected);
}

QTEST_MAIN(TestKitRoundButton)
#include "tst_kitroundbutton.moc"

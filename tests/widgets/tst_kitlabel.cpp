#include "platform/FontFaces.h"
#include "widgets/kit/VyrLabel.h"

#include <QApplication>
#include <QTest>

using namespace quorvane;

namespace {
constexpr ColorRef kRed = rgbColour(255, 0, 0), kGreen = rgbColour(0, 255, 0),
                   kBlue = rgbColour(0, 0, 255), kMagenta = rgbColour(255, 0, 255);

QImage filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Every pixel of exactly `colour`.
QRect inkOf(const QImage& image, ColorRef colour) {
    const QRgb want = toQColor(colour).rgb();
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == want)
                box |= QRect(x, y, 1, 1);
    return box;
}

LogFont sharpFont() {
    LogFont font;
    font.faceName = QStringLiteral("楷体_GB2312");
    font.height = -24;
    font.colour = kRed;
    font.quality = LogFont::NonAntialiased;
    return font;
}

QImage draw3D(const TVyrFont3D& font3D, bool enabled = true) {
    QImage image = filled(120, 70, qRgb(255, 255, 255));
    Canvas dc(image);
    font3D.Draw3DText(sharpFont(), dc, QRect(30, 20, 60, 30), QStringLiteral("田"), 0, enabled);
    return image;
}
} // namespace

class TestKitLabel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontFaces::installSubstitutions(); }
    void passesSitAtTheirOffsets_data();
    void passesSitAtTheirOffsets();
    void disabledTextIsEngraved();
    void frameRings_data();
    void frameRings();
    void textRectangleLeavesTheBorder_data();
    void textRectangleLeavesTheBorder();
    void assignedObjectsAreCopiedAndBackgroundsForgotten();
};

void TestKitLabel::passesSitAtTheirOffsets_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("repetition");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QPoint>("textMove");  // of the text against the plain text
    QTest::addColumn<QPoint>("upLeft");    // green's top-left against the text's
    QTest::addColumn<QPoint>("downRight"); // blue's bottom-right against the text's
    QTest::addColumn<QPoint>("extrusion"); // magenta's far corner against the text's
    using F = TVyrFont3D;
    const QPoint none(99, 99);
    QTest::newRow("only highlight 1") << int(F::fontOnlyHighlight) << 1 << int(F::repeatNone) << 0
                                      << QPoint() << QPoint(-1, -1) << none << none;
    QTest::newRow("raised 2") << int(F::fontRaised) << 2 << int(F::repeatNone) << 0 << QPoint()
                              << QPoint(-2, -2) << QPoint(2, 2) << none;
    QTest::newRow("inset 3") << int(F::fontInset) << 3 << int(F::repeatNone) << 0 << QPoint()
                             << none << QPoint(3, 3) << none;
    QTest::newRow("only shadow 2") << int(F::fontOnlyShadow) << 2 << int(F::repeatNone) << 0
                                   << QPoint() << none << QPoint(2, 2) << none;
    QTest::newRow("outline ignores the offset")
        << int(F::fontOutLineShadow) << 5 << int(F::repeatNone) << 0 << QPoint() << none
        << QPoint(1, 1) << none;
    QTest::newRow("extrusion down-right") << int(F::fontRaised) << 1 << int(F::repeatOnShadow) << 4
                                          << QPoint(1, 1) << QPoint(-1, -1) << none << QPoint(4, 4);
    QTest::newRow("extrusion up-left")
        << int(F::fontOnlyShadow) << 2 << int(F::repeatOnHighLight) << 3 << QPoint(4, 4) << none
        << QPoint(2, 2) << QPoint(-3, -3);
}

void TestKitLabel::passesSitAtTheirOffsets() {
    QFETCH(int, style);
    QFETCH(int, offset);
    QFETCH(int, repetition);
    QFETCH(int, depth);
    QFETCH(QPoint, textMove);
    QFETCH(QPoint, upLeft);
    QFETCH(QPoint, downRight);
    QFETCH(QPoint, extrusion);
    TVyrFont3D plain;
    plain.setThreeDimensional(false);
    plain.setRepetition(TVyrFont3D::TVyrRepeat(repetition)); // no extrusion without 3D
    plain.setRepetitionWidth(depth);
    const QRect plainText = inkOf(draw3D(plain), kRed);
    QVERIFY(!plainText.isEmpty());
    QCOMPARE(inkOf(draw3D(plain), kMagenta), QRect());

    TVyrFont3D font3D;
    font3D.setStyle3D(TVyrFont3D::TVyrStyle3D(style));
    font3D.setOffset(offset);
    font3D.setHighlight(kGreen);
    // Inset draws the highlight down-right: it is tested as the blue corner.
    font3D.setShadow(style == TVyrFont3D::fontInset ? kGreen : kBlue);
    if (style == TVyrFont3D::fontInset)
        font3D.setHighlight(kBlue);
    font3D.setRepetition(TVyrFont3D::TVyrRepeat(repetition));
    font3D.setRepetitionWidth(depth);
    font3D.setRepetitionColor(kMagenta);
    const QImage image = draw3D(font3D);
    const QRect text = inkOf(image, kRed);
    QCOMPARE(text.topLeft(), plainText.topLeft() + textMove);
    const QRect green = inkOf(image, kGreen), blue = inkOf(image, kBlue);
    if (upLeft != QPoint(99, 99))
        QCOMPARE(green.topLeft() - text.topLeft(), upLeft);
    else if (style != TVyrFont3D::fontInset)
        QCOMPARE(green, QRect());
    if (downRight != QPoint(99, 99))
        QCOMPARE(blue.bottomRight() - text.bottomRight(), downRight);
    if (style == TVyrFont3D::fontOutLineShadow)
        QCOMPARE(blue.topLeft() - text.topLeft(), QPoint(-1, -1));
    if (extrusion == QPoint(99, 99))
        QCOMPARE(inkOf(image, kMagenta), QRect());
    else if (extrusion.x() > 0)
        QCOMPARE(inkOf(image, kMagenta).bottomRight() - text.bottomRight(), extrusion);
    else if (extrusion.x() < 0)
        QCOMPARE(inkOf(image, kMagenta).topLeft() - text.topLeft(), extrusion);
    QCOMPARE(font3D.drawingWidth(), 2 * offset + depth);
}

void TestKitLabel::disabledTextIsEngraved() {
    TVyrFont3D font3D;
    font3D.setStyle3D(TVyrFont3D::fontRaised);
    font3D.setHighlight(kGreen);
    font3D.setShadow(kBlue);
    QImage image = filled(120, 70, qRgb(255, 0, 0));
    {
        Canvas dc(image);
        font3D.Draw3DText(sharpFont(), dc, QRect(30, 20, 60, 30), QStringLiteral("田"), 0, false);
    }
    const QRect grey = inkOf(image, clGrayText), light = inkOf(image, clBtnHighlight);
    QVERIFY(!grey.isEmpty());
    QCOMPARE(light.bottomRight() - grey.bottomRight(), QPoint(1, 1));
    QCOMPARE(inkOf(image, kGreen) | inkOf(image, kBlue), QRect());
    // Offset 0 keeps the offset it had.
    font3D.setOffset(3);
    font3D.setOffset(0);
    QCOMPARE(font3D.offset(), 3);
}

void TestKitLabel::frameRings_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("edges");
    QTest::addColumn<QString>("rings"); // per ring: left, top, right, bottom
    using F = TVyrFrame;
    const int all = F::EdgeLeft | F::EdgeRight | F::EdgeTop | F::EdgeBottom;
    // G highlight, B shadow, M solid, K black, W nothing drawn.
    QTest::newRow("raised") << int(F::frameRaised) << 1 << all << "GGBB WWWW";
    QTest::newRow("lowered, two wide") << int(F::frameLowered) << 2 << all << "BBGG BBGG WWWW";
    QTest::newRow("solid") << int(F::frameSolid) << 1 << all << "MMMM WWWW";
    QTest::newRow("none") << int(F::frameNone) << 3 << all << "WWWW";
    QTest::newRow("framed up") << int(F::frameFramedUp) << 1 << all << "GGBB BBGG WWWW";
    QTest::newRow("framed down") << int(F::frameFramedDown) << 1 << all << "BBGG GGBB WWWW";
    QTest::newRow("panel up") << int(F::framePanelUp) << 1 << all << "GGKK WWBB WWWW";
    QTest::newRow("panel down") << int(F::framePanelDown) << 1 << all << "BBWW KKGG WWWW";
    QTest::newRow("light bordered") << int(F::frameLightBordered) << 1 << all << "WWBB GGGG";
    QTest::newRow("no top edge") << int(F::frameRaised) << 1 << (all & ~F::EdgeTop) << "GWBB";
}

void TestKitLabel::frameRings() {
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(int, edges);
    QFETCH(QString, rings);
    TVyrFrame frame;
    frame.setFrameStyle(TVyrFrame::TVyrFrameStyle(style));
    frame.setFrameWidth(width);
    frame.setFrameWidth(0); // ignored
    frame.setEdges(TVyrFrame::TVyrFrameEdges(edges));
    frame.setHighlight(kGreen);
    frame.setShadow(kBlue);
    frame.setSolid(kMagenta);
    QImage image = filled(20, 16, qRgb(255, 255, 255));
    {
        Canvas dc(image);
        frame.DrawFrame(dc, image.rect());
    }
    const QHash<QChar, QRgb> colours = {{u'G', qRgb(0, 255, 0)},
                                        {u'B', qRgb(0, 0, 255)},
                                        {u'M', qRgb(255, 0, 255)},
                                        {u'K', qRgb(0, 0, 0)},
                                        {u'W', qRgb(255, 255, 255)}};
    const QStringList perRing = rings.split(u' ');
    for (int j = 0; j < perRing.size(); ++j) {
        const QString& ring = perRing[j];
        const QString where = QStringLiteral("ring %1").arg(j);
        QVERIFY2(image.pixel(j, 8) == colours[ring[0]], qPrintable(where + u" left"));
        QVERIFY2(image.pixel(10, j) == colours[ring[1]], qPrintable(where + u" top"));
        QVERIFY2(image.pixel(19 - j, 8) == colours[ring[2]], qPrintable(where + u" right"));
        QVERIFY2(image.pixel(10, 15 - j) == colours[ring[3]], qPrintable(where + u" bottom"));
        // The top-right and bottom-left corners belong to the right and bottom sides.
        if (ring[2] != u'W')
            QVERIFY2(image.pixel(19 - j, j) == colours[ring[2]], qPrintable(where + u" corner"));
        if (ring[3] != u'W')
            QVERIFY2(image.pixel(j, 15 - j) == colours[ring[3]], qPrintable(where + u" corner"));
        if (ring[1] != u'W')
            QVERIFY2(image.pixel(j, j) == colours[ring[1]], qPrintable(where + u" corner"));
    }
}

void TestKitLabel::textRectangleLeavesTheBorder_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<QRect>("expected"); // in a 100 × 40 label
    QTest::newRow("none") << int(TVyrFrame::frameNone) << 1 << QRect(0, 1, 100, 38);
    QTest::newRow("framed up, 2") << int(TVyrFrame::frameFramedUp) << 2 << QRect(4, 6, 88, 28);
    QTest::newRow("raised, 3") << int(TVyrFrame::frameRaised) << 3 << QRect(3, 6, 91, 28);
}

void TestKitLabel::textRectangleLeavesTheBorder() {
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(QRect, expected);
    TVyrLabel label;
    label.resize(100, 40);
    label.frame()->setFrameStyle(TVyrFrame::TVyrFrameStyle(style));
    label.frame()->setFrameWidth(width);
    QCOMPARE(label.textRect(), expected);
}

void TestKitLabel::assignedObjectsAreCopiedAndBackgroundsForgotten() {
    TVyrLabel label;
    TVyrFont3D* own = label.font3D();
    {
        TVyrFont3D other;
        other.setStyle3D(TVyrFont3D::fontInset);
        other.setOffset(4);
        label.setFont3D(&other);
        TVyrFrame frame;
        frame.setFrameWidth(3);
        label.setFrame(&frame);
    }
    QCOMPARE(label.font3D(), own);
    QCOMPARE(label.font3D()->style3D(), TVyrFont3D::fontInset);
    QCOMPARE(label.font3D()->offset(), 4);
    QCOMPARE(label.frame()->frameWidth(), 3);

    // Layout settings reach the settings objects; a bad value leaves them alone.
    label.setProperty("Font3D.Highlight", QStringLiteral("clRed"));
    label.setProperty("Font3D.Shadow", QStringLiteral("no colour"));
    label.setProperty("Font.Color", QStringLiteral("clBackground"));
    QCOMPARE(label.font3D()->highlight(), kRed);
    QCOMPARE(label.font3D()->shadow(), clBtnShadow);
    QCOMPARE(label.fontColor(), kSystemColourBit | 1);

    auto* painter = new TVyrBackground;
    label.setBackground(painter);
    label.setFontBackground(painter);
    QCOMPARE(painter->clients(), (QList<QWidget*>{&label, &label}));
    label.setBackground(nullptr);
    QCOMPARE(painter->clients(), QList<QWidget*>{&label});
    delete painter;
    QCOMPARE(label.fontBackground(), nullptr);
    label.setTransparent(false);
    label.setText(QStringLiteral("成语"));
    QImage image = filled(100, 40, qRgb(0, 0, 0));
    Canvas dc(image);
    label.resize(100, 40);
    label.paintOn(dc);                                  // no painter left to reach
    QCOMPARE(image.pixel(95, 35), qRgb(255, 255, 255)); // clWindow inside the raised frame
    QCOMPARE(image.pixel(99, 35), qRgb(128, 128, 128));
}

QTEST_MAIN(TestKitLabel)
#include "tst_kitlabel.moc"

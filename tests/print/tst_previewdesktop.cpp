// The locked print preview on a real X server with a real window manager: it keeps its place
// and size whatever the window manager is asked to do, and fits the screen with its frame.
#include "FakePrinter.h"
#include "print/TPreviewAtOnceForm.h"
#include "print/TPrintAtOnce.h"
#include "support/DesktopTest.h"
#include "support/WindowParts.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
QString output(const QString& program, const QStringList& args) {
    return QString::fromUtf8(testing::commandOutput(program, args));
}

// The window with the frame the window manager put round it, as the screen shows it.
QRect framed(WId window) {
    const QString id = QString::number(window);
    const QString info = output(u"xwininfo"_s, {u"-id"_s, id});
    const auto number = [&](const QString& label) {
        const QRegularExpression pattern(label + u":\\s+(-?\\d+)"_s);
        return pattern.match(info).captured(1).toInt();
    };
    const QRect client(number(u"Absolute upper-left X"_s), number(u"Absolute upper-left Y"_s),
                       number(u"Width"_s), number(u"Height"_s));
    // left, right, top, bottom
    const QStringList extents =
        output(u"xprop"_s, {u"-id"_s, id, u"_NET_FRAME_EXTENTS"_s}).section(u'=', 1).split(u',');
    if (extents.size() != 4)
        return client;
    return client.adjusted(-extents[0].toInt(), -extents[2].toInt(), extents[1].toInt(),
                           extents[3].toInt());
}

bool viewable(WId window) {
    return output(u"xwininfo"_s, {u"-id"_s, QString::number(window)})
        .contains(u"Map State: IsViewable"_s);
}
} // namespace

class TestPreviewDesktop : public testing::DesktopTest {
    Q_OBJECT
public:
    using DesktopTest::DesktopTest;

private Q_SLOTS:
    void initTestCase() {
        if (!m_up)
            QSKIP(qPrintable(m_why));
        // The panel reserves its strip a moment after it starts; the checks compare against
        // the settled free area.
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!QTest::qWaitFor([screen] { return screen->availableGeometry() != screen->geometry(); },
                             10000))
            qInfo("the panel reserved no strip: the free area is the whole screen");
        QTest::qWait(300);
    }
    void lockedPreviewKeepsItsPlace_data();
    void lockedPreviewKeepsItsPlace();
};

void TestPreviewDesktop::lockedPreviewKeepsItsPlace_data() {
    QTest::addColumn<QStringList>("command"); // what the window manager is asked, by xdotool
    QTest::newRow("minimise") << QStringList{u"windowminimize"_s};
    QTest::newRow("move") << QStringList{u"windowmove"_s, u"%1"_s, u"120"_s, u"90"_s};
    QTest::newRow("resize") << QStringList{u"windowsize"_s, u"%1"_s, u"400"_s, u"300"_s};
}

void TestPreviewDesktop::lockedPreviewKeepsItsPlace() {
    QFETCH(QStringList, command);
    FakePrinterScope scope(96, QSize(794, 1123), QSize(210, 297));
    QWidget window;
    auto* panel = new QFrame(&window);
    panel->setGeometry(0, 0, 300, 200);
    (new QLineEdit(u"锁定的预览"_s, panel))->setGeometry(0, 0, 200, 20);
    auto* engine = new TPrintAtOnce(&window);
    engine->setControl(panel);
    engine->LogyPreview = true;
    // The free area can shrink while the tray host settles; the window follows it.
    const auto free = [] { return QGuiApplication::primaryScreen()->availableGeometry(); };

    bool ran = false;
    QTimer poll;
    poll.setInterval(50);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* preview = qobject_cast<TPreviewAtOnceForm*>(QApplication::activeModalWidget());
        if (!preview || !preview->windowHandle() || !preview->windowHandle()->isExposed())
            return;
        poll.stop();
        ran = true;
        // Closed whatever the checks find, or the modal preview would never end.
        const auto closing = qScopeGuard([preview] { preview->CloseBtnClick(); });
        const WId id = preview->winId();
        QCOMPARE(output(u"xprop"_s, {u"-id"_s, QString::number(id), u"_NET_WM_NAME"_s}).trimmed(),
                 u"_NET_WM_NAME(UTF8_STRING) = \"打印预览\""_s);
        // Fits the free area of the screen, frame and all.
        QTRY_COMPARE_WITH_TIMEOUT(framed(id), free(), 5000);
        QStringList args = command;
        args.replaceInStrings(u"%1"_s, QString::number(id));
        if (!args.contains(QString::number(id)))
            args << QString::number(id);
        QCOMPARE(QProcess::execute(u"xdotool"_s, args), 0);
        QTest::qWait(500);
        QTRY_VERIFY_WITH_TIMEOUT(viewable(id) && !preview->isMinimized(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(framed(id), free(), 5000);
        // Zoomed in, the page needs both scroll bars, and both are on the screen.
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(testing::part<QToolButton>(*preview, "ZoomInBtn"), Qt::LeftButton);
        QScrollBar* across =
            testing::part<QScrollArea>(*preview, "ScrollBox1")->horizontalScrollBar();
        QTRY_VERIFY_WITH_TIMEOUT(across->isVisible(), 2000);
        const QRect bar(across->mapToGlobal(QPoint(0, 0)), across->size());
        QVERIFY2(
            free().contains(bar),
            qPrintable(
                u"%1,%2 %3x%4"_s.arg(bar.x()).arg(bar.y()).arg(bar.width()).arg(bar.height())));
        preview->CloseBtnClick();
    });
    poll.start();
    engine->Preview();
    QVERIFY(ran);
}

int main(int argc, char** argv) {
    return testing::runOnPrivateDesktop<TestPreviewDesktop>(argc, argv);
}

#include "tst_previewdesktop.moc"

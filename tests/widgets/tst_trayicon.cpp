#include "platform/TextCodec.h"
#include "platform/User.h"
#include "support/RecordingNotifyIconHost.h"
#include "widgets/tray/TrayIcons.h"

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QWidget>

using namespace quorvane;
using namespace Qt::StringLiterals;
using testing::RecordingNotifyIconHost;

namespace {
QImage solid(int k) {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromHsv(k * 27, 255, 255));
    return image;
}

QImage picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

class Tray : public TTrayIcon {
public:
    using TTrayIcon::CycleTimerTick;
    using TTrayIcon::TTrayIcon;
};

QString shiftText(TTrayIcon::TShiftState s) {
    QString text;
    const std::pair<TTrayIcon::TShiftFlag, char> names[] = {
        {TTrayIcon::ssShift, 'S'}, {TTrayIcon::ssAlt, 'A'},   {TTrayIcon::ssCtrl, 'C'},
        {TTrayIcon::ssLeft, 'L'},  {TTrayIcon::ssRight, 'R'}, {TTrayIcon::ssMiddle, 'M'}};
    for (const auto& [flag, name] : names)
        if (s & flag)
            text += QLatin1Char(name);
    return text;
}
} // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
    RecordingNotifyIconHost* host = nullptr;
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<TImageList> list;
    std::unique_ptr<Tray> tray;
    QStringList log;

    QString messages() const {
        QString text;
        for (const auto& call : host->calls)
            text += QStringLiteral("AMD")[call.message];
        return text;
    }
    void report(const QList<int>& mouse) {
        for (int message : mouse)
            User::sendMessage(tray->iconWindow(), TTrayIcon::TrayCallbackMessage, 1, message);
    }

private Q_SLOTS:
    void init() {
        host = RecordingNotifyIconHost::install();
        owner = std::make_unique<QWidget>();
        User::setMainWindow(owner.get());
        list = std::make_unique<TImageList>(QSize(16, 16));
        for (int k = 0; k < 13; ++k)
            list->add(QPixmap::fromImage(solid(k)));
        tray = std::make_unique<Tray>(owner.get());
        tray->setIconList(list.get());
        tray->setHint(QStringLiteral("Quorvane"));
        tray->Loaded();
        log.clear();
        tray->OnClick = [this](QObject*) { log << QStringLiteral("click"); };
        tray->OnDblClick = [this](QObject*) { log << QStringLiteral("dblclick"); };
        const auto button = [](TTrayIcon::TMouseButton b) { return QStringLiteral("LRM")[b]; };
        tray->OnMouseDown = [this, button](QObject*, auto b, auto s, int x, int y) {
            log << QStringLiteral("down %1 %2 %3,%4")
                       .arg(button(b))
                       .arg(shiftText(s))
                       .arg(x)
                       .arg(y);
        };
        tray->OnMouseUp = [this, button](QObject*, auto b, auto s, int x, int y) {
            log << QStringLiteral("up %1 %2 %3,%4").arg(button(b)).arg(shiftText(s)).arg(x).arg(y);
        };
        tray->OnMouseMove = [this](QObject*, auto s, int x, int y) {
            log << QStringLiteral("move %1 %2,%3").arg(shiftText(s)).arg(x).arg(y);
        };
        QCursor::setPos(30, 40);
        host->calls.clear();
    }
    void cleanup() {
        tray.reset();
        list.reset();
        owner.reset();
        setNotifyIconHost(nullptr);
    }

    void settersTalkToTheShell_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("image"); // -1: the picture stays
        QTest::newRow("Hint") << QByteArray("Hint") << QVariant(QStringLiteral("x")) << u"M"_s << 2
                              << 2;
        QTest::newRow("ShowHint") << QByteArray("ShowHint") << QVariant(false) << u"M"_s << 2 << 2;
        QTest::newRow("visible") << QByteArray("IconVisible") << QVariant(true) << u"A"_s << 2 << 2;
        QTest::newRow("invisible")
            << QByteArray("IconVisible") << QVariant(false) << u"D"_s << 2 << 2;
        QTest::newRow("index") << QByteArray("IconIndex") << QVariant(5) << u"M"_s << 5 << 5;
        QTest::newRow("capped") << QByteArray("IconIndex") << QVariant(99) << u"M"_s << 12 << 12;
        QTest::newRow("negative") << QByteArray("IconIndex") << QVariant(-3) << u"M"_s << -1 << -1;
        QTest::newRow("cycle") << QByteArray("CycleIcons") << QVariant(true) << u"M"_s << 0 << 0;
        QTest::newRow("Enabled") << QByteArray("Enabled") << QVariant(false) << u""_s << 2 << 2;
        QTest::newRow("LeftPopup") << QByteArray("LeftPopup") << QVariant(true) << u""_s << 2 << 2;
        QTest::newRow("MinimizeToTray")
            << QByteArray("MinimizeToTray") << QVariant(true) << u""_s << 2 << 2;
        QTest::newRow("interval") << QByteArray("CycleInterval") << QVariant(400u) << u""_s << 2
                                  << 2;
    }
    void settersTalkToTheShell() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QString, calls);
        QFETCH(int, index);
        QFETCH(int, image);
        tray->setIconIndex(2);
        host->calls.clear();
        QVERIFY(tray->setProperty(property.constData(), value));
        QCOMPARE(messages(), calls);
        QCOMPARE(tray->iconIndex(), index);
        QCOMPARE(picture(tray->icon()), solid(image < 0 ? 2 : image));
        if (!calls.isEmpty())
            QCOMPARE(host->calls.last().image(), solid(image < 0 ? 2 : image));
    }

    void hintIsCutAtWholeCharacters_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("showHint");
        QTest::addColumn<QString>("tip");
        const QString cheng = QStringLiteral("成");
        QTest::newRow("short") << QStringLiteral("Quorvane") << true << QStringLiteral("Quorvane");
        QTest::newRow("ascii") << QString(200, u'a') << true << QString(127, u'a');
        QTest::newRow("two-byte cut") << cheng.repeated(64) << true << cheng.repeated(63);
        QTest::newRow("exactly 127")
            << u'a' + cheng.repeated(63) << true << u'a' + cheng.repeated(63);
        QTest::newRow("four-byte cut")
            << QString(125, u'a') + QStringLiteral("😀") << true << QString(125, u'a');
        QTest::newRow("hint off") << QStringLiteral("Quorvane") << false << QString();
    }
    void hintIsCutAtWholeCharacters() {
        QFETCH(QString, hint);
        QFETCH(bool, showHint);
        QFETCH(QString, tip);
        tray->setShowHint(showHint);
        tray->setHint(hint);
        const NOTIFYICONDATAA& sent = host->calls.last().data;
        QCOMPARE(TextCodec::fromAnsi(QByteArray(sent.szTip.data())), tip);
        QVERIFY(std::all_of(sent.szTip.begin() + qsizetype(strlen(sent.szTip.data())),
                            sent.szTip.end(), [](char c) { return c == 0; }));
    }

    void ticksStepThroughTheImages() {
        QList<int> next;
        tray->OnCycle = [&next](QObject*, int index) { next << index; };
        tray->setCycleIcons(true);
        host->calls.clear();
        for (int tick = 0; tick < 14; ++tick)
            tray->CycleTimerTick();
        QCOMPARE(host->calls.size(), 28);
        for (int tick = 0; tick < 14; ++tick) {
            QCOMPARE(host->calls[2 * tick].message, NIM_MODIFY);
            QCOMPARE(host->calls[2 * tick].image(), solid(tick % 13));
            QCOMPARE(host->calls[2 * tick + 1].image(), solid((tick + 1) % 13));
        }
        QCOMPARE(next, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 1}));
    }

    void zeroIntervalMeansNoAnimation_data() {
        QTest::addColumn<bool>("cycle");
        QTest::addColumn<uint>("interval");
        QTest::addColumn<bool>("running");
        QTest::newRow("zero") << true << 0u << false;
        QTest::newRow("400") << true << 400u << true;
        QTest::newRow("not cycling") << false << 400u << false;
    }
    void zeroIntervalMeansNoAnimation() {
        QFETCH(bool, cycle);
        QFETCH(uint, interval);
        QFETCH(bool, running);
        tray->setCycleInterval(400);
        tray->setCycleIcons(true);
        tray->setCycleInterval(interval);
        tray->setCycleIcons(cycle);
        const auto* timer = tray->findChild<QTimer*>(QStringLiteral("CycleTimer"));
        QCOMPARE(timer->isActive(), running);
        if (running)
            QCOMPARE(timer->interval(), int(interval));
    }

    void emptyListOrNegativeIndexKeepsThePicture() {
        tray->setIconIndex(4);
        tray->setIconIndex(-1);
        tray->CycleTimerTick(); // from u"no image"_s the animation goes on at the first
        QCOMPARE(picture(tray->icon()), solid(0));
        TImageList empty(QSize(16, 16));
        tray->setIconList(&empty);
        host->calls.clear();
        tray->CycleTimerTick();
        QCOMPARE(host->calls.size(), 0);
        QCOMPARE(picture(tray->icon()), solid(0));
    }

    void mouseReports_data() {
        QTest::addColumn<QList<int>>("mouse");
        QTest::addColumn<Qt::KeyboardModifiers>("held");
        QTest::addColumn<QStringList>("events");
        const auto none = Qt::KeyboardModifiers();
        QTest::newRow("left click")
            << QList<int>{0x201, 0x202} << none
            << QStringList{u"down L L 30,40"_s, u"click"_s, u"up L L 30,40"_s};
        QTest::newRow("shift left")
            << QList<int>{0x201, 0x202} << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << QStringList{u"down L SL 30,40"_s, u"click"_s, u"up L SL 30,40"_s};
        QTest::newRow("ctrl alt right")
            << QList<int>{0x204, 0x205} << (Qt::ControlModifier | Qt::AltModifier)
            << QStringList{u"down R ACR 30,40"_s, u"up R ACR 30,40"_s};
        QTest::newRow("middle") << QList<int>{0x207, 0x208} << none
                                << QStringList{u"down M M 30,40"_s, u"up M M 30,40"_s};
        QTest::newRow("move") << QList<int>{0x200} << Qt::KeyboardModifiers(Qt::ShiftModifier)
                              << QStringList{u"move S 30,40"_s};
        QTest::newRow("double click")
            << QList<int>{0x201, 0x202, 0x203, 0x202} << none
            << QStringList{u"down L L 30,40"_s, u"click"_s, u"up L L 30,40"_s, u"dblclick"_s,
                           u"up L L 30,40"_s};
        QTest::newRow("ignored") << QList<int>{0x206, 0x209, 0x2A3} << none << QStringList{};
    }
    void mouseReports() {
        QFETCH(QList<int>, mouse);
        QFETCH(Qt::KeyboardModifiers, held);
        QFETCH(QStringList, events);
        owner->show();
        // Real key presses, so that the asynchronous key state sees them.
        const std::pair<Qt::KeyboardModifier, Qt::Key> keys[] = {
            {Qt::ShiftModifier, Qt::Key_Shift},
            {Qt::ControlModifier, Qt::Key_Control},
            {Qt::AltModifier, Qt::Key_Alt}};
        for (const auto& [modifier, key] : keys)
            if (held & modifier)
                QTest::keyPress(owner.get(), key, held);
        QCOMPARE(QGuiApplication::queryKeyboardModifiers(), held);
        report(mouse);
        for (const auto& [modifier, key] : keys)
            if (held & modifier)
                QTest::keyRelease(owner.get(), key);
        QCOMPARE(log, events);
    }

    void enabledOffIgnoresTheMouse() {
        TPopupMenu menu;
        menu.addAction(QStringLiteral("x"));
        int shown = 0;
        connect(&menu, &QMenu::aboutToShow, this, [&] { ++shown; });
        tray->setPopupMenu(&menu);
        tray->setLeftPopup(true);
        tray->setEnabled(false);
        report({0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x207, 0x208});
        QCOMPARE(log, QStringList());
        QCOMPARE(shown, 0);
    }

    void doubleClickClicksTheDefaultItem_data() {
        QTest::addColumn<bool>("withDefault");
        QTest::addColumn<bool>("leftPopup");
        QTest::addColumn<bool>("autoPopup");
        QTest::addColumn<int>("clicked");
        QTest::newRow("no default") << false << false << true << 0;
        QTest::newRow("default") << true << false << true << 1;
        QTest::newRow("left popup") << true << true << true << 0;
        QTest::newRow("no auto popup") << true << false << false << 0;
    }
    void doubleClickClicksTheDefaultItem() {
        QFETCH(bool, withDefault);
        QFETCH(bool, leftPopup);
        QFETCH(bool, autoPopup);
        QFETCH(int, clicked);
        TPopupMenu menu;
        menu.addAction(QStringLiteral("a"));
        QAction* second = menu.addAction(QStringLiteral("b"));
        if (withDefault)
            menu.setDefaultAction(second);
        menu.setAutoPopup(autoPopup);
        int triggered = 0;
        connect(second, &QAction::triggered, this, [&] { ++triggered; });
        tray->setPopupMenu(&menu);
        tray->setLeftPopup(leftPopup);
        report({0x203});
        QCOMPARE(triggered, clicked);
        QCOMPARE(log, QStringList{u"dblclick"_s});
    }

    void rightClickOpensTheMenuAtTheCursor_data() {
        QTest::addColumn<bool>("ownerShown");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden") << false;
    }
    void rightClickOpensTheMenuAtTheCursor() {
        QFETCH(bool, ownerShown);
        owner->setVisible(ownerShown);
        TPopupMenu menu;
        menu.addAction(QStringLiteral("x"));
        tray->setPopupMenu(&menu);
        QPoint at;
        QObject* component = nullptr;
        QStringList order;
        connect(&menu, &QMenu::aboutToShow, this, [&] {
            QTimer::singleShot(0, &menu, [&] {
                at = menu.pos();
                component = menu.popupComponent();
                order << QStringLiteral("menu");
                menu.close();
            });
        });
        const HWND window = User::handleOf(owner.get());
        const User::WNDPROC hook =
            User::makeObjectInstance([&](HWND h, UINT m, WPARAM w, LPARAM l) {
                if (m == WM_NULL)
                    order << QStringLiteral("null");
                return User::callWindowProc(User::WNDPROC(), h, m, w, l);
            });
        User::setWindowProc(window, hook);
        QCursor::setPos(100, 120);
        report({0x204, 0x205});
        order << QStringLiteral("returned");
        QCoreApplication::processEvents();
        User::removeWindowProc(window, hook);
        QCOMPARE(order, (QStringList{u"menu"_s, u"returned"_s, u"null"_s}));
        QCOMPARE(at, QPoint(100, 120));
        QCOMPARE(component, tray.get());
        QCOMPARE(log, (QStringList{u"down R R 100,120"_s, u"up R R 100,120"_s}));
    }

    void taskbarCreatedAddsTheIconAgain_data() {
        QTest::addColumn<bool>("visible");
        QTest::newRow("visible") << true;
        QTest::newRow("removed") << false;
    }
    void taskbarCreatedAddsTheIconAgain() {
        QFETCH(bool, visible);
        tray->setIconVisible(visible);
        tray->setCycleIcons(true);
        for (int tick = 0; tick < 3; ++tick)
            tray->CycleTimerTick();
        host->shown.clear(); // the restarted shell knows no icons
        host->calls.clear();
        User::broadcastMessage(User::registerWindowMessage(QStringLiteral("taskbarcreated")));
        QCOMPARE(messages(), visible ? QStringLiteral("A") : QString());
        if (visible) {
            QVERIFY(host->calls.last().accepted);
            QCOMPARE(host->calls.last().image(), solid(3));
            QCOMPARE(host->calls.last().tip(), QByteArray("Quorvane"));
        }
    }

    void destructionRemovesTheIconAndTheHooks() {
        tray.reset();
        const User::WNDPROC appBefore = User::windowProc(User::applicationWindow());
        tray = std::make_unique<Tray>(owner.get());
        auto second = std::make_unique<Tray>(owner.get());
        tray->Loaded();
        host->calls.clear();
        tray.reset(); // the first goes while the second is hooked above it
        QCOMPARE(messages(), u"D"_s);
        QVERIFY(host->calls.last().accepted);
        QVERIFY(User::windowProc(User::applicationWindow()) != appBefore);
        second.reset();
        QVERIFY(User::windowProc(User::applicationWindow()) == appBefore);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"

#include "framework/TImageList.h"
#include "framework/TPopupMenu.h"
#include "platform/Dialogs.h"
#include "platform/MenuPopupWindow.h"
#include "platform/Shell.h"
#include "platform/User.h"
#include "support/MainWindowParts.h"
#include "support/RecordingNotifyIconHost.h"
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/tray/TrayIcons.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace quorvane;
using namespace Qt::StringLiterals;
using testing::RecordingNotifyIconHost;

namespace {
QStringList opened;
class RecordingOpener : public Shell::Opener {
public:
    void execute(QWidget*, const QString&, const QString& target) override { opened << target; }
};

QImage picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// What the desktop reports for a left click on the icon.
void clickIcon(const Tmain_frm& window) {
    const HWND icon = parts(window).TrayIcon1->iconWindow();
    User::sendMessage(icon, TTrayIcon::TrayCallbackMessage, 1, WM_LBUTTONDOWN);
    User::sendMessage(icon, TTrayIcon::TrayCallbackMessage, 1, WM_LBUTTONUP);
}
} // namespace

class TestTrayMenu : public QObject {
    Q_OBJECT
    RecordingNotifyIconHost* host = nullptr;
    std::unique_ptr<testing::ProgramFolder> folder;
    std::unique_ptr<Tmain_frm> window;

private Q_SLOTS:
    void init() {
        host = RecordingNotifyIconHost::install();
        folder = std::make_unique<testing::ProgramFolder>(testing::sampleRows());
        Dialogs::Script::begin();
        window = std::make_unique<Tmain_frm>();
        window->show();
    }
    void cleanup() {
        window.reset();
        folder.reset();
        Dialogs::Script::end();
        setNotifyIconHost(nullptr);
    }

    void trayIconIsInTheTrayAnimating() {
        TTrayIcon* tray = parts(*window).TrayIcon1;
        QCOMPARE(tray->iconList(), parts(*window).ImageList);
        QCOMPARE(parts(*window).ImageList->count(), 13);
        QCOMPARE(parts(*window).ImageList->image(12).size(), QSize(16, 16));
        QCOMPARE(tray->popupMenu(), parts(*window).tbmenu);
        QVERIFY(tray->minimizeToTray());
        const auto* timer = tray->findChild<QTimer*>(u"CycleTimer"_s);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 400);
        const auto& added = host->calls.last();
        QCOMPARE(added.message, NIM_ADD);
        QVERIFY(added.accepted);
        QCOMPARE(added.tip(), QByteArray("Quorvane"));
        QCOMPARE(added.image(), picture(parts(*window).ImageList->icon(0)));
    }

    void trayMenuItemsRunTheirHandlers() {
        QStringList captions;
        for (const QAction* item : parts(*window).tbmenu->actions())
            captions << (item->isSeparator() ? u"-"_s : item->text());
        QCOMPARE(captions, (QStringList{u"帮助"_s, u"作者主页"_s, u"关于"_s, u"-"_s, u"退出"_s}));
        QCOMPARE(parts(*window).tbmenu->defaultItem(), nullptr);

        Shell::setOpener(std::make_unique<RecordingOpener>());
        opened.clear();
        parts(*window).VyrMenuItem2->trigger();
        QCOMPARE(opened, QStringList{Tmain_frm::webPageAddress()});
        parts(*window).hlpm->trigger(); // no cy.chm in the folder
        QVERIFY(Dialogs::Script::shownMessages().last().text.contains(u"cy.chm"_s));
        Shell::setOpener(nullptr);

        clickIcon(*window); // "退出" also works with the window in the tray
        QVERIFY(!window->isVisible());
        parts(*window).exitbtn->trigger();
        QVERIFY(!parts(*window).q_cy->active()); // closed: the store is released
        window.reset();
        QCOMPARE(host->calls.last().message, NIM_DELETE);
        QVERIFY(host->calls.last().accepted);
        QVERIFY(host->shown.isEmpty());
    }

    void trayMenuOpensWithItsLookAndRunsTheChosenItem() {
        Shell::setOpener(std::make_unique<RecordingOpener>());
        opened.clear();
        QCursor::setPos(300, 200);
        QImage shown;
        int items = 0;
        // The icon lets pending events run before the menu opens: wait for the popup.
        QTimer poll;
        int tries = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* popup = static_cast<MenuPopupWindow*>(User::trackedPopup());
            if (!popup || !popup->isVisible()) {
                if (++tries > 300)
                    User::endMenu();
                return;
            }
            poll.stop();
            items = popup->itemCount();
            shown = popup->grab().toImage();
            const QPoint at = popup->itemRect(1).center(); // 作者主页
            QTest::mouseMove(popup, at);
            QTest::mouseClick(popup, Qt::LeftButton, {}, at);
        });
        poll.start(10);
        const HWND icon = parts(*window).TrayIcon1->iconWindow();
        User::sendMessage(icon, TTrayIcon::TrayCallbackMessage, 1, WM_RBUTTONDOWN);
        User::sendMessage(icon, TTrayIcon::TrayCallbackMessage, 1, WM_RBUTTONUP);
        QCOMPARE(items, 5);
        QTRY_COMPARE(opened, QStringList{Tmain_frm::webPageAddress()});
        Shell::setOpener(nullptr);
        // Opened left-aligned at the cursor, whatever TrackButton and MenuAnimation say.
        // The side bar runs from white at the top towards fuchsia at the bottom; the
        // window's silver shows through the picture's black.
        const QColor top = shown.pixelColor(4, 5), bottom = shown.pixelColor(4, shown.height() - 5);
        QVERIFY(top.red() == 255 && top.green() > 230 && top.blue() == 255);
        QVERIFY2(bottom.green() < 80 && bottom.red() == 255 && bottom.blue() == 255,
                 qPrintable(bottom.name()));
        int silver = 0;
        for (int x = 30; x < shown.width() - 4; ++x)
            silver += shown.pixelColor(x, 6) == QColor(192, 192, 192);
        QVERIFY(silver > 0);
        QVERIFY(Dialogs::Script::shownMessages().isEmpty());
    }

    void visibilityFollowsClicksAndMinimising_data() {
        QTest::addColumn<bool>("trayHost");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("recorded");
        const int min = Tmain_frm::wsMinimized;
        const int max = Tmain_frm::wsMaximized;
        QTest::newRow("click hides") << true << QStringList{u"click"_s} << false << min;
        QTest::newRow("second click shows")
            << true << QStringList{u"click"_s, u"click"_s} << true << max;
        QTest::newRow("from normal")
            << true << QStringList{u"normal"_s, u"click"_s, u"click"_s} << true << max;
        QTest::newRow("minimise hides") << true << QStringList{u"minimise"_s} << false << max;
        QTest::newRow("minimise, click")
            << true << QStringList{u"minimise"_s, u"click"_s} << false << min;
        QTest::newRow("minimise, two clicks")
            << true << QStringList{u"minimise"_s, u"click"_s, u"click"_s} << true << max;
        QTest::newRow("no tray host") << false << QStringList{u"minimise"_s} << true << max;
    }
    void visibilityFollowsClicksAndMinimising() {
        QFETCH(bool, trayHost);
        QFETCH(QStringList, steps);
        QFETCH(bool, visible);
        QFETCH(int, recorded);
        host->isAvailable = trayHost;
        for (const QString& step : steps) {
            if (step == u"click")
                clickIcon(*window);
            else if (step == u"normal")
                window->showNormal();
            else // what the window manager does with the minimise button
                window->setWindowState(window->windowState() | Qt::WindowMinimized);
        }
        QCOMPARE(window->isVisible(), visible);
        QCOMPARE(int(window->recordedState()), recorded);
        // The task-bar button goes and comes with the window.
        QCOMPARE(User::isWindowVisible(User::applicationWindow()), visible);
        if (visible && trayHost)
            QVERIFY(window->isMaximized() && !window->isMinimized());
    }
};

QTEST_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"

#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/TImageList.h"
#include "platform/TPopupMenu.h"
#include "platform/User.h"
#include "support/RecordingNotifyIconHost.h"
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/tray/TrayIcons.h"

#include <QApplication>
#include <QTest>

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
    const HWND icon = window.TrayIcon1->iconWindow();
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
        TTrayIcon* tray = window->TrayIcon1;
        QCOMPARE(tray->iconList(), window->ImageList);
        QCOMPARE(window->ImageList->count(), 13);
        QCOMPARE(window->ImageList->image(12).size(), QSize(16, 16));
        QCOMPARE(tray->popupMenu(), window->tbmenu);
        QVERIFY(tray->minimizeToTray());
        const auto* timer = tray->findChild<QTimer*>(u"CycleTimer"_s);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 400);
        const auto& added = host->calls.last();
        QCOMPARE(added.message, NIM_ADD);
        QVERIFY(added.accepted);
        QCOMPARE(added.tip(), QByteArray("Quorvane"));
        QCOMPARE(added.image(), picture(window->ImageList->icon(0)));
    }

    void trayMenuItemsRunTheirHandlers() {
        QStringList captions;
        for (const QAction* item : window->tbmenu->actions())
            captions << (item->isSeparator() ? u"-"_s : item->text());
        QCOMPARE(captions, (QStringList{u"帮助"_s, u"作者主页"_s, u"关于"_s, u"-"_s, u"退出"_s}));
        QCOMPARE(window->tbmenu->defaultItem(), nullptr);

        Shell::setOpener(std::make_unique<RecordingOpener>());
        opened.clear();
        window->VyrMenuItem2->trigger();
        QCOMPARE(opened, QStringList{Tmain_frm::webPageAddress()});
        window->hlpm->trigger(); // no cy.chm in the folder
        QVERIFY(Dialogs::Script::shownMessages().last().text.contains(u"cy.chm"_s));
        Shell::setOpener(nullptr);

        clickIcon(*window); // "退出" also works with the window in the tray
        QVERIFY(!window->isVisible());
        window->exitbtn->trigger();
        QVERIFY(!window->q_cy->active()); // closed: the store is released
        window.reset();
        QCOMPARE(host->calls.last().message, NIM_DELETE);
        QVERIFY(host->calls.last().accepted);
        QVERIFY(host->shown.isEmpty());
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

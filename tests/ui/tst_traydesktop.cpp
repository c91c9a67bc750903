// The tray icon on a real X server with a real window manager and tray host.
#include "platform/Dialogs.h"
#include "platform/NotifyIconHost.h"
#include "support/DesktopTest.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/tray/TrayIcons.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
bool xdotool(const QStringList& args) {
    return QProcess::execute(u"xdotool"_s, args) == 0;
}
} // namespace

class TestTrayDesktop : public testing::DesktopTest {
    Q_OBJECT
public:
    using DesktopTest::DesktopTest;

private:
    std::unique_ptr<testing::ProgramFolder> m_folder;
    std::unique_ptr<Tmain_frm> m_window;

    QRect iconRect() const {
        return Shell_NotifyIconGetRect(parts(*m_window).TrayIcon1->iconWindow(), 1);
    }
    QImage iconPixels() const {
        const QRect at = iconRect();
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, at.x(), at.y(), at.width(), at.height())
            .toImage();
    }
    void clickIcon() {
        // Apart enough not to make a double click of two.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        const QPoint centre = iconRect().center();
        QVERIFY(xdotool({u"mousemove"_s, QString::number(centre.x()), QString::number(centre.y()),
                         u"click"_s, u"1"_s}));
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_up)
            QSKIP(qPrintable(m_why));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        m_folder = std::make_unique<testing::ProgramFolder>(testing::sampleRows());
        Dialogs::Script::begin();
        m_window = std::make_unique<Tmain_frm>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanupTestCase() {
        m_window.reset();
        Dialogs::Script::end();
    }

    void iconAppearsAndAnimates() {
        QTRY_VERIFY_WITH_TIMEOUT(iconRect().width() > 0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!iconPixels().isNull(), 5000);
        const QImage first = iconPixels();
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(iconPixels() != first, 1000);
        QVERIFY(clock.elapsed() <= 1000);
    }

    void clicksHideAndShowTheWindow() {
        clickIcon();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 5000);
        QVERIFY(!m_window->windowHandle()->isExposed());
        clickIcon();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible() && m_window->windowHandle()->isExposed(),
                                 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isMaximized(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), 5000);
    }

    void minimiseCommandHidesTheWindow() {
        QVERIFY(m_window->isVisible());
        QVERIFY(xdotool({u"windowminimize"_s, QString::number(m_window->winId())}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 5000);
        QVERIFY(iconRect().width() > 0); // the icon stays in the tray
        // The first click only records the state, the second brings the window back.
        clickIcon();
        QTest::qWait(500);
        QVERIFY(!m_window->isVisible());
        clickIcon();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible() && m_window->windowHandle()->isExposed(),
                                 5000);
    }

    void iconComesBackWhenThePanelRestarts() {
        QVERIFY(m_desktop.restartTrayHost());
        QTRY_VERIFY_WITH_TIMEOUT(iconRect().width() > 0 && !iconPixels().isNull(), 10000);
        const QImage first = iconPixels();
        QTRY_VERIFY_WITH_TIMEOUT(iconPixels() != first, 1000);
    }
};

int main(int argc, char** argv) {
    return testing::runOnPrivateDesktop<TestTrayDesktop>(argc, argv);
}

#include "tst_traydesktop.moc"

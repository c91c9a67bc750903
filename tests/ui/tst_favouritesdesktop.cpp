// The star and the side window on a real X server, as the screen and the title bar show them.
#include "favourites/FavouritesStore.h"
#include "platform/Dialogs.h"
#include "support/DesktopTest.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "ui/favourites/FavouritesController.h"
#include "ui/favourites/Tfavourites_frm.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

namespace {
bool xdotool(const QStringList& args) {
    return QProcess::execute(u"xdotool"_s, args) == 0;
}

QByteArray output(const QString& program, const QStringList& args) {
    return testing::commandOutput(program, args);
}

// Pixels of the filled star's gold inside `area` of the screen, as the X server has it.
int goldPixelsOnScreen(const QRect& area) {
    const QImage screen =
        QImage::fromData(output(u"import"_s, {u"-window"_s, u"root"_s, u"png:-"_s}), "PNG");
    int count = screen.isNull() ? -1 : 0;
    for (int y = area.top(); count >= 0 && y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            count += c.red() > 220 && c.green() > 170 && c.green() < 230 && c.blue() < 80;
        }
    return count;
}

QRect globalRect(const QWidget* widget) {
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}
} // namespace

class TestFavouritesDesktop : public testing::DesktopTest {
    Q_OBJECT
public:
    using DesktopTest::DesktopTest;

private:
    std::unique_ptr<testing::ProgramFolder> m_folder;
    std::unique_ptr<Tmain_frm> m_window;

    bool keys(const QString& combination) {
        return xdotool({u"windowactivate"_s, u"--sync"_s, QString::number(m_window->winId())}) &&
               xdotool({u"key"_s, u"--clearmodifiers"_s, combination});
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_up)
            QSKIP(qPrintable(m_why));
        m_folder = std::make_unique<testing::ProgramFolder>(testing::sampleRows());
        Dialogs::Script::begin();
        m_window = std::make_unique<Tmain_frm>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isMaximized(), 5000);
    }
    void cleanupTestCase() {
        m_window.reset();
        Dialogs::Script::end();
    }

    void ctrlDFillsTheStarOnScreen() {
        const QModelIndex row = parts(*m_window).DBGrid1->model()->index(2, 0);
        QTest::mouseClick(parts(*m_window).DBGrid1->viewport(), Qt::LeftButton, {},
                          parts(*m_window).DBGrid1->visualRect(row).center());
        const QString idiom = parts(*m_window).cymc->text();
        QVERIFY(!idiom.isEmpty());
        const QRect mark = globalRect(parts(*m_window).favmark);
        const QRect star = globalRect(parts(*m_window).favbtn);
        QTest::qWait(300);
        QCOMPARE(goldPixelsOnScreen(mark), 0);
        QCOMPARE(goldPixelsOnScreen(star), 0);

        QVERIFY(keys(u"ctrl+d"_s));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->favourites()->store()->isFavourite(m_window->favourites()->shown()), 5000);
        QCOMPARE(m_window->favourites()->shown().idiom, idiom);
        QTRY_VERIFY_WITH_TIMEOUT(goldPixelsOnScreen(mark) > 30, 5000);
        QVERIFY(goldPixelsOnScreen(star) > 30);

        QVERIFY(keys(u"ctrl+d"_s));
        QTRY_COMPARE_WITH_TIMEOUT(goldPixelsOnScreen(mark), 0, 5000);
        QCOMPARE(m_window->favourites()->store()->list(ListKind::Favourites).size(), 0);
    }

    void sideWindowShowsItsTitle() {
        QVERIFY(keys(u"ctrl+shift+f"_s));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->favourites()->window() &&
                                     m_window->favourites()->window()->isVisible(),
                                 5000);
        const WId id = m_window->favourites()->window()->winId();
        QTRY_VERIFY_WITH_TIMEOUT(
            QString::fromUtf8(
                output(u"xprop"_s, {u"-id"_s, QString::number(id), u"_NET_WM_NAME"_s}))
                .contains(u"\"收藏和最近查看\""_s),
            5000);
        QVERIFY(Dialogs::Script::shownMessages().isEmpty());
    }
};

int main(int argc, char** argv) {
    return testing::runOnPrivateDesktop<TestFavouritesDesktop>(argc, argv);
}

#include "tst_favouritesdesktop.moc"

// Favourites and history through the main window, as a user works with them.
#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/IdiomDatabase.h"
#include "favourites/FavouritesStore.h"
#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/WindowParts.h"
#include "ui/favourites/FavouritesController.h"
#include "ui/favourites/RememberedListModel.h"
#include "ui/favourites/Tfavourites_frm.h"
#include "ui/lookup/Tmain_frm.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QWidget>
#include <QtTest>

#include <sqlite3.h>

using namespace quorvane;
namespace Script = quorvane::Dialogs::Script;

namespace {
const QString kData = QStringLiteral(QUORVANE_TEST_DATA);

// The row of a view whose first column shows `text`.
QModelIndex rowOf(const QAbstractItemView* view, const QString& text) {
    const QAbstractItemModel* model = view->model();
    const auto found = model->match(model->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    return found.isEmpty() ? QModelIndex() : found.first();
}

void clickIdiom(Tmain_frm& w, const QString& idiom) {
    const QModelIndex index = rowOf(parts(w).DBGrid1, idiom);
    QVERIFY2(index.isValid(), qPrintable(idiom));
    parts(w).DBGrid1->scrollTo(index);
    QTest::mouseClick(parts(w).DBGrid1->viewport(), Qt::LeftButton, {},
                      parts(w).DBGrid1->visualRect(index).center());
    QCOMPARE(parts(w).cymc->text(), idiom);
}

// What a list of the side window shows, one "idiom|pinyin|date" per row.
QStringList shownRows(Tfavourites_frm* f, ListKind kind) {
    QStringList rows;
    const QAbstractItemModel* model = f->view(kind)->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList idiomsIn(const Tmain_frm& w, ListKind kind) {
    QStringList out;
    const RememberedList& list = w.favourites()->store()->list(kind);
    for (int i = 0; i < list.size(); ++i)
        out << list.at(i).key.idiom;
    return out;
}

QString favouritesPath(const testing::ProgramFolder& folder) {
    return folder.dataHome() + QStringLiteral("/Brevinn/Quorvane/favourites.sqlite");
}

void selectRow(QTreeView* view, const QString& idiom) {
    QVERIFY2(rowOf(view, idiom).isValid(), qPrintable(idiom));
    view->setCurrentIndex(rowOf(view, idiom));
}

const QString kToday = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
} // namespace

class TestFavourites : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::ProgramFolder> m_folder;
    std::unique_ptr<Tmain_frm> m_main;

    void start() {
        m_main = std::make_unique<Tmain_frm>();
        m_main->show();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }

    Tfavourites_frm* openSide() {
        QTest::mouseClick(parts(*m_main).favlistbtn, Qt::LeftButton);
        Tfavourites_frm* f = m_main->favourites()->window();
        return f && QTest::qWaitForWindowExposed(f) ? f : nullptr;
    }

    void addFavourites(const QStringList& idioms) {
        for (const QString& idiom : idioms) {
            clickIdiom(*m_main, idiom);
            QTest::mouseClick(parts(*m_main).favbtn, Qt::LeftButton);
        }
    }

private Q_SLOTS:
    void initTestCase() {
        QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
        FontFaces::installSubstitutions();
    }

    void init() {
        Script::begin();
        m_folder = std::make_unique<testing::ProgramFolder>(testing::sampleRows());
    }

    void cleanup() {
        m_main.reset();
        m_folder.reset();
        Script::end();
    }

    void starTogglesTheShownIdiom_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("toolbar star") << "star";
        QTest::newRow("header mark") << "mark";
        QTest::newRow("Ctrl+D in the lookup box") << "box";
        QTest::newRow("Ctrl+D in the list") << "list";
    }
    void starTogglesTheShownIdiom() {
        QFETCH(QString, way);
        start();
        const auto toggle = [&] {
            if (way == QLatin1String("star"))
                QTest::mouseClick(parts(*m_main).favbtn, Qt::LeftButton);
            else if (way == QLatin1String("mark"))
                QTest::mouseClick(parts(*m_main).favmark, Qt::LeftButton);
            else if (way == QLatin1String("box"))
                QTest::keyClick(parts(*m_main).DBLookupCombo1->editor(), Qt::Key_D,
                                Qt::ControlModifier);
            else
                QTest::keyClick(parts(*m_main).DBGrid1, Qt::Key_D, Qt::ControlModifier);
        };
        clickIdiom(*m_main, QStringLiteral("沧海桑田"));
        if (way == QLatin1String("box"))
            parts(*m_main).DBLookupCombo1->editor()->setFocus();
        QCOMPARE(parts(*m_main).favbtn->toolTip(), QStringLiteral("收藏当前成语（Ctrl+D）"));
        const qint64 emptyStar = parts(*m_main).favmark->icon().cacheKey();

        toggle();
        QCOMPARE(idiomsIn(*m_main, ListKind::Favourites), QStringList{QStringLiteral("沧海桑田")});
        QCOMPARE(parts(*m_main).favbtn->toolTip(), QStringLiteral("取消收藏当前成语（Ctrl+D）"));
        QCOMPARE(parts(*m_main).favmark->toolTip(), QStringLiteral("已收藏；点一下取消收藏"));
        QVERIFY(parts(*m_main).favmark->isVisible());
        QVERIFY(parts(*m_main).favmark->icon().cacheKey() != emptyStar);
        // Another idiom is not a favourite; back on the first, the mark says it is.
        clickIdiom(*m_main, QStringLiteral("画蛇添足"));
        QCOMPARE(parts(*m_main).favmark->toolTip(), QStringLiteral("未收藏；点一下收藏"));
        clickIdiom(*m_main, QStringLiteral("沧海桑田"));
        QCOMPARE(parts(*m_main).favmark->toolTip(), QStringLiteral("已收藏；点一下取消收藏"));

        toggle();
        QCOMPARE(idiomsIn(*m_main, ListKind::Favourites), QStringList());
        QCOMPARE(parts(*m_main).favbtn->toolTip(), QStringLiteral("收藏当前成语（Ctrl+D）"));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void sideWindowListsChoosesAndRemoves() {
        start();
        addFavourites(
            {QStringLiteral("画蛇添足"), QStringLiteral("沧海桑田"), QStringLiteral("百发百中")});
        Tfavourites_frm* f = openSide();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("收藏和最近查看"));
        QVERIFY(!f->isModal());
        QCOMPARE(testing::part<QTabWidget>(*f, "pages")->tabText(0), QStringLiteral("收藏"));
        QCOMPARE(testing::part<QTabWidget>(*f, "pages")->tabText(1), QStringLiteral("最近查看"));
        QCOMPARE(shownRows(f, ListKind::Favourites),
                 QStringList({QStringLiteral("百发百中|bǎi fā bǎi zhòng|") + kToday,
                              QStringLiteral("沧海桑田|cāng hǎi sāng tián|") + kToday,
                              QStringLiteral("画蛇添足||") + kToday}));

        // Enter and a double click move the main list and the entry.
        selectRow(testing::part<QTreeView>(*f, "favlst"), QStringLiteral("沧海桑田"));
        QTest::keyClick(testing::part<QTreeView>(*f, "favlst"), Qt::Key_Return);
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("沧海桑田"));
        QCOMPARE(parts(*m_main).DBGrid1->currentIndex().data().toString(),
                 QStringLiteral("沧海桑田"));
        selectRow(testing::part<QTreeView>(*f, "favlst"), QStringLiteral("画蛇添足"));
        const QRect cell = testing::part<QTreeView>(*f, "favlst")
                               ->visualRect(testing::part<QTreeView>(*f, "favlst")->currentIndex());
        QTest::mouseClick(testing::part<QTreeView>(*f, "favlst")->viewport(), Qt::LeftButton, {},
                          cell.center());
        QTest::mouseDClick(testing::part<QTreeView>(*f, "favlst")->viewport(), Qt::LeftButton, {},
                           cell.center());
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("画蛇添足"));
        QCOMPARE(parts(*m_main).q_cy->fieldText(QStringLiteral("成语")),
                 QStringLiteral("画蛇添足"));

        // Delete takes the row out; the next one becomes current.
        selectRow(testing::part<QTreeView>(*f, "favlst"), QStringLiteral("沧海桑田"));
        QTest::keyClick(testing::part<QTreeView>(*f, "favlst"), Qt::Key_Delete);
        QCOMPARE(idiomsIn(*m_main, ListKind::Favourites),
                 QStringList({QStringLiteral("百发百中"), QStringLiteral("画蛇添足")}));
        QCOMPARE(testing::part<QTreeView>(*f, "favlst")->currentIndex().data().toString(),
                 QStringLiteral("画蛇添足"));

        // Clearing asks first; only OK clears.
        Script::queueAnswer(Dialogs::Button::Cancel);
        QTest::mouseClick(testing::part<QPushButton>(*f, "favclearbtn"), Qt::LeftButton);
        QCOMPARE(Script::shownMessages().size(), 1);
        QCOMPARE(Script::shownMessages().last().text,
                 QStringLiteral("确定要清空全部 2 条收藏吗？"));
        QCOMPARE(Script::shownMessages().last().icon, Dialogs::Icon::Question);
        QCOMPARE(Script::shownMessages().last().buttons, Dialogs::Buttons::OkCancel);
        QCOMPARE(testing::part<QTreeView>(*f, "favlst")->model()->rowCount(), 2);
        Script::queueAnswer(Dialogs::Button::Ok);
        QTest::mouseClick(testing::part<QPushButton>(*f, "favclearbtn"), Qt::LeftButton);
        QCOMPARE(testing::part<QTreeView>(*f, "favlst")->model()->rowCount(), 0);
        QVERIFY(!testing::part<QPushButton>(*f, "favclearbtn")->isEnabled());

        // The history tab: everything copied so far, newest first, and cleared the same way.
        testing::part<QTabWidget>(*f, "pages")
            ->setCurrentWidget(testing::part<QWidget>(*f, "histpage"));
        QTest::mouseClick(parts(*m_main).copybtn, Qt::LeftButton);
        QCOMPARE(shownRows(f, ListKind::History).size(), 1);
        QVERIFY(shownRows(f, ListKind::History).first().startsWith(QStringLiteral("画蛇添足||")));
        Script::queueAnswer(Dialogs::Button::Ok);
        QTest::mouseClick(testing::part<QPushButton>(*f, "histclearbtn"), Qt::LeftButton);
        QCOMPARE(Script::shownMessages().last().text,
                 QStringLiteral("确定要清空最近查看的成语吗？"));
        QCOMPARE(testing::part<QTreeView>(*f, "histlst")->model()->rowCount(), 0);

        // Escape closes; Ctrl+Shift+F brings back the same window.
        QTest::keyClick(f, Qt::Key_Escape);
        QVERIFY(!f->isVisible());
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        QTest::keyClick(m_main.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f->isVisible());
        QCOMPARE(m_main->favourites()->window(), f);
    }

    void historyTakesWhatWasReadOrUsed() {
        start();
        // Moved on at once: not read. Shown for two seconds: read.
        clickIdiom(*m_main, QStringLiteral("画蛇添足"));
        QElapsedTimer shown;
        clickIdiom(*m_main, QStringLiteral("百发百中"));
        shown.start();
        QTRY_COMPARE_WITH_TIMEOUT(idiomsIn(*m_main, ListKind::History),
                                  QStringList{QStringLiteral("百发百中")}, 5000);
        QVERIFY(shown.elapsed() >= FavouritesController::kDwellMs);
        // Still on screen: no second entry.
        QTest::qWait(FavouritesController::kDwellMs + 200);
        QCOMPARE(idiomsIn(*m_main, ListKind::History).size(), 1);

        // Copied and saved count at once; a repeat moves to the top instead of doubling.
        clickIdiom(*m_main, QStringLiteral("沧海桑田"));
        QTest::mouseClick(parts(*m_main).copybtn, Qt::LeftButton);
        clickIdiom(*m_main, QStringLiteral("一丝不苟"));
        Script::queueFileName(m_folder->path() + QStringLiteral("saved.txt"));
        QTest::mouseClick(parts(*m_main).savebtn, Qt::LeftButton);
        QVERIFY(QFile::exists(m_folder->path() + QStringLiteral("saved.txt")));
        clickIdiom(*m_main, QStringLiteral("百发百中"));
        QTest::mouseClick(parts(*m_main).copybtn, Qt::LeftButton);
        QCOMPARE(idiomsIn(*m_main, ListKind::History),
                 QStringList({QStringLiteral("百发百中"), QStringLiteral("一丝不苟"),
                              QStringLiteral("沧海桑田")}));
        // A cancelled save saved nothing and adds nothing.
        clickIdiom(*m_main, QStringLiteral("大器晚成"));
        Script::queueFileName(QString());
        QTest::mouseClick(parts(*m_main).savebtn, Qt::LeftButton);
        QCOMPARE(idiomsIn(*m_main, ListKind::History).size(), 3);

        // A restart keeps both lists.
        addFavourites({QStringLiteral("一言一语"), QStringLiteral("不知所措")});
        m_main.reset();
        start();
        Tfavourites_frm* f = openSide();
        QVERIFY(f);
        QCOMPARE(shownRows(f, ListKind::Favourites),
                 QStringList({QStringLiteral("不知所措|bù zhī suǒ cuò|") + kToday,
                              QStringLiteral("一言一语||") + kToday}));
        QCOMPARE(shownRows(f, ListKind::History).size(), 3);
        QVERIFY(shownRows(f, ListKind::History).first().startsWith(QStringLiteral("百发百中|")));
        clickIdiom(*m_main, QStringLiteral("不知所措"));
        QCOMPARE(parts(*m_main).favmark->toolTip(), QStringLiteral("已收藏；点一下取消收藏"));
    }

    void exportsWriteTheExpectedBytes_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("filter");
        QTest::newRow("entry text, GBK") << "favtextbtn"
                                         << "favourites-entries.txt"
                                         << "文本文件(*.txt)|*.txt|所有文件[*.*]|*.*";
        QTest::newRow("flash cards, UTF-8") << "favcardbtn"
                                            << "favourites-cards.txt"
                                            << "制表符分隔的卡片(*.txt)|*.txt|所有文件[*.*]|*.*";
    }
    void exportsWriteTheExpectedBytes() {
        QFETCH(QString, button);
        QFETCH(QString, expected);
        QFETCH(QString, filter);
        start();
        addFavourites(
            {QStringLiteral("画蛇添足"), QStringLiteral("沧海桑田"), QStringLiteral("百发百中")});
        Tfavourites_frm* f = openSide();
        QVERIFY(f);
        const QString file = m_folder->path() + QStringLiteral("export.txt");
        Script::queueFileName(file);
        QTest::mouseClick(f->findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(Script::fileRequests().size(), 1);
        QCOMPARE(Script::fileRequests().first().setup.filter, filter);
        QVERIFY(Script::fileRequests().first().setup.confirmOverwrite);
        QCOMPARE(testing::readFile(file), testing::readFile(kData + expected));
        QVERIFY(Script::shownMessages().isEmpty());
    }

    void reimportKeepsFavouritesAndGreysTheLost() {
        start();
        addFavourites({QStringLiteral("画蛇添足"), QStringLiteral("一丝不苟")});
        Tfavourites_frm* f = openSide();
        QVERIFY(f);
        QCOMPARE(testing::part<QTreeView>(*f, "favlst")
                     ->model()
                     ->index(0, 0)
                     .data(RememberedListModel::MissingRole)
                     .toBool(),
                 false);
        const auto checkLostOne = [this] {
            Tfavourites_frm* side = openSide();
            QVERIFY(side);
            QCOMPARE(idiomsIn(*m_main, ListKind::Favourites),
                     QStringList({QStringLiteral("一丝不苟"), QStringLiteral("画蛇添足")}));
            const QAbstractItemModel* model = testing::part<QTreeView>(*side, "favlst")->model();
            QCOMPARE(model->index(0, 0).data(RememberedListModel::MissingRole).toBool(), true);
            QCOMPARE(model->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
                     QColor(Qt::gray));
            QCOMPARE(model->index(1, 0).data(RememberedListModel::MissingRole).toBool(), false);

            clickIdiom(*m_main, QStringLiteral("大器晚成"));
            const int before = int(Script::shownMessages().size());
            selectRow(testing::part<QTreeView>(*side, "favlst"), QStringLiteral("一丝不苟"));
            QTest::keyClick(testing::part<QTreeView>(*side, "favlst"), Qt::Key_Return);
            QCOMPARE(Script::shownMessages().size(), before + 1);
            QCOMPARE(
                Script::shownMessages().last().text,
                QStringLiteral("词典中已没有“一丝不苟”这条成语（可能是换了词典或重新导入过）。"));
            QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("大器晚成"));
            selectRow(testing::part<QTreeView>(*side, "favlst"), QStringLiteral("画蛇添足"));
            QTest::keyClick(testing::part<QTreeView>(*side, "favlst"), Qt::Key_Return);
            QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("画蛇添足"));
            QCOMPARE(parts(*m_main).DBGrid1->currentIndex().data().toString(),
                     QStringLiteral("画蛇添足"));
            QCOMPARE(parts(*m_main).favmark->toolTip(), QStringLiteral("已收藏；点一下取消收藏"));
        };

        // Deleted in the maintenance window, then 刷新: the open side window follows.
        sqlite3* db = openEncryptedDatabase(m_folder->databasePath(),
                                            AdoConnection::databasePassword(), false);
        QCOMPARE(
            sqlite3_exec(db, "delete from cy where 成语 = '一丝不苟'", nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
        QTest::mouseClick(parts(*m_main).allvbtn, Qt::LeftButton);
        checkLostOne();
        m_main.reset();

        // A new import: other rows in another order, still without 一丝不苟.
        std::vector<IdiomEntry> rows = testing::sampleRows();
        std::erase_if(rows, [](const IdiomEntry& e) {
            return e.text(Column::Idiom) == QStringLiteral("一丝不苟");
        });
        rows.push_back(testing::entry(QStringLiteral("ajly"), QStringLiteral("安居乐业")));
        std::reverse(rows.begin(), rows.end());
        IdiomDatabase::create(m_folder->databasePath(), rows);
        start();
        checkLostOne();
    }

    void damagedFileGivesOneMessageAndStaysAsItWas() {
        const QString path = favouritesPath(*m_folder);
        const QByteArray damaged(8192, '\x17');
        QVERIFY(testing::writeFile(path, damaged));
        start();
        QTRY_COMPARE(Script::shownMessages().size(), 1);
        QCOMPARE(Script::shownMessages().first().text,
                 QStringLiteral("收藏夹文件“%1”已损坏，无法读取。收藏和最近查看本次照常使用，"
                                "但更改不会保存；原文件保持原样，没有被改动。")
                     .arg(path));
        QCOMPARE(Script::shownMessages().first().caption, QStringLiteral("提示"));
        // The session goes on without another word, and the file keeps what it had.
        addFavourites({QStringLiteral("一言一语")});
        QCOMPARE(idiomsIn(*m_main, ListKind::Favourites), QStringList{QStringLiteral("一言一语")});
        QTest::mouseClick(parts(*m_main).copybtn, Qt::LeftButton);
        m_main.reset();
        start();
        QTRY_COMPARE(Script::shownMessages().size(), 2); // told again at the next start
        m_main.reset();
        QCOMPARE(testing::readFile(path), damaged);
    }
};

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"

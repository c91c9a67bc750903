#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "platform/Registry.h"
#include "support/MainWindowParts.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/WindowParts.h"
#include "ui/lookup/Tmain_frm.h"
#include "ui/search/HighlightDelegate.h"
#include "ui/search/SearchResultModel.h"
#include "ui/search/Tsearch_frm.h"
#include "widgets/dbaware/TDBGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QtTest>

#include <sqlite3.h>

using namespace quorvane;

namespace {
std::vector<IdiomEntry> rows() {
    std::vector<IdiomEntry> rows = testing::sampleRows();
    IdiomEntry story = testing::entry(QStringLiteral("bsyy"), QStringLiteral("杯水车薪"),
                                      QStringLiteral("bēi shuǐ chē xīn"),
                                      QStringLiteral("用一杯水去救一车着了火的柴草。"));
    story.text(Column::Allusion) = QStringLiteral("《孟子·告子上》：“犹以一杯水救一车薪之火也。”");
    rows.push_back(story);
    return rows;
}

QString cellText(const SearchResultModel* model, int row, int column) {
    return model->index(row, column).data().toString();
}

// The text a cell marks as matched.
QString marked(const SearchResultModel* model, int row, int column) {
    const QModelIndex index = model->index(row, column);
    const QPoint match = index.data(SearchResultModel::MatchRole).toPoint();
    return index.data(SearchResultModel::MatchRole).isNull()
               ? QString()
               : index.data().toString().mid(match.x(), match.y());
}

QStringList idioms(const SearchResultModel* model) {
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row)
        out << cellText(model, row, SearchResultModel::IdiomColumn);
    return out;
}

// Rows whose explanations are too long for their table page: the rest of each lies in
// pages of its own, which only a read of the whole row touches.
std::vector<IdiomEntry> longRows() {
    std::vector<IdiomEntry> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back(
            testing::entry(QStringLiteral("cycy"), QStringLiteral("成语") + QString::number(i),
                           QStringLiteral("chéng yǔ"), QString(3000, QChar(char16_t(0x4E00 + i)))));
    return rows;
}

// Whether `sql` runs to its end on the file.
bool readsWhole(const QString& path, const char* sql) {
    sqlite3* db = openEncryptedDatabase(path, AdoConnection::databasePassword(), false);
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            sqlite3_column_text16(stmt, i);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rc == SQLITE_DONE;
}

// Spoils one page that the list and its codes do not need but a whole row does, as a
// damaged sector would; false when no such page is found.
bool damageOnePage(const QString& path) {
    const QByteArray pristine = testing::readFile(path);
    for (qsizetype at = pristine.size() / 2; at + 4 < pristine.size(); at += 4096) {
        QByteArray damaged = pristine;
        damaged.replace(at, 4, "\xff\xff\xff\xff");
        if (!testing::writeFile(path, damaged))
            return false;
        if (readsWhole(path, "select rowid, 成语 from cy order by 成语") &&
            readsWhole(path, "select rowid, 代码 from cy") && !readsWhole(path, "select * from cy"))
            return true;
    }
    return false;
}

// Letters come as keys, Chinese as an input method commits it.
void type(Tsearch_frm* s, const QString& text) {
    testing::part<QLineEdit>(*s, "searchedt")->selectAll();
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), char(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(c);
            QCoreApplication::sendEvent(testing::part<QLineEdit>(*s, "searchedt"), &commit);
        }
    }
}
} // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::ProgramFolder> m_folder;
    std::unique_ptr<Tmain_frm> m_main;

    Tsearch_frm* openSearch() {
        QTest::mouseClick(parts(*m_main).jsbtn, Qt::LeftButton);
        Tsearch_frm* s = m_main->searchWindow();
        return s && QTest::qWaitForWindowExposed(s) ? s : nullptr;
    }

private Q_SLOTS:
    void initTestCase() { FontFaces::installSubstitutions(); }

    void init() {
        Dialogs::Script::begin();
        m_folder = std::make_unique<testing::ProgramFolder>(rows());
        m_main = std::make_unique<Tmain_frm>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup() {
        m_main.reset();
        m_folder.reset();
        QVERIFY(Dialogs::Script::shownMessages().isEmpty());
        Dialogs::Script::end();
    }

    void buttonAndShortcutOpenAWindowBeside() {
        QCOMPARE(parts(*m_main).jsbtn->text(), QStringLiteral("检索"));
        QCOMPARE(parts(*m_main).jsbtn->toolTip(), QStringLiteral("检索成语"));
        QVERIFY(!parts(*m_main).jsbtn->icon().isNull());
        QVERIFY(parts(*m_main).jsbtn->x() > parts(*m_main).helpbtn->geometry().right());

        Tsearch_frm* s = openSearch();
        QVERIFY(s);
        QVERIFY(s->isWindow());
        QCOMPARE(s->windowTitle(), QStringLiteral("检索成语"));
        QVERIFY(!s->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_main->isEnabled());
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Escape);
        QVERIFY(!s->isVisible());

        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        QTest::keyClick(m_main.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(s->isVisible());
        QCOMPARE(m_main->searchWindow(), s); // one window, opened again
    }

    void typingListsGroupsWithMatchesMarked_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("firstMarked");
        QTest::addColumn<QString>("firstText");
        QTest::newRow("pinyin") << QStringLiteral("bu ke")
                                << QStringList{QStringLiteral("不可胜言"),
                                               QStringLiteral("不可思议")}
                                << int(SearchResultModel::PinyinColumn) << QStringLiteral("bù kě")
                                << QString();
        QTest::newRow("character")
            << QStringLiteral("不")
            << QStringList{QStringLiteral("不可胜言"), QStringLiteral("不可思议"),
                           QStringLiteral("不知所措"), QStringLiteral("爱不释手"),
                           QStringLiteral("一丝不苟"), QStringLiteral("醉翁之意不在酒")}
            << int(SearchResultModel::IdiomColumn) << QStringLiteral("不") << QString();
        QTest::newRow("explanation")
            << QStringLiteral("射中") << QStringList{QStringLiteral("百发百中")}
            << int(SearchResultModel::TextColumn) << QStringLiteral("射中")
            << QStringLiteral("每次都射中目标。");
        QTest::newRow("quoted, in the allusion")
            << QStringLiteral("“车薪之火”") << QStringList{QStringLiteral("杯水车薪")}
            << int(SearchResultModel::TextColumn) << QStringLiteral("车薪之火")
            << QStringLiteral("【典故】…杯水救一车薪之火也。”");
    }

    void typingListsGroupsWithMatchesMarked() {
        QFETCH(QString, input);
        QFETCH(QStringList, found);
        QFETCH(int, column);
        QFETCH(QString, firstMarked);
        QFETCH(QString, firstText);
        Tsearch_frm* s = openSearch();
        QVERIFY(s);
        const SearchResultModel* model = s->results();
        type(s, input);
        QTRY_COMPARE(idioms(model), found);
        QCOMPARE(marked(model, 0, column), firstMarked);
        if (!firstText.isEmpty())
            QCOMPARE(cellText(model, 0, column), firstText);
        QVERIFY(
            testing::part<QLabel>(*s, "countlbl")->text().contains(QString::number(found.size())));

        // The mark is painted.
        QTreeView* list = testing::part<QTreeView>(*s, "resultlst");
        const QRect cell = list->visualRect(model->index(0, column));
        const QImage shot =
            list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int markedPixels = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                markedPixels += QColor(shot.pixel(x, y)) == HighlightDelegate::matchColour();
        QVERIFY2(markedPixels > 20, qPrintable(QString::number(markedPixels)));
    }

    void enterAndDoubleClickMoveTheMainWindow() {
        Tsearch_frm* s = openSearch();
        QVERIFY(s);
        type(s, QStringLiteral("bu"));
        QTRY_COMPARE(s->results()->rowCount(), 3);
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Down);
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Return);
        // The cursor, the list and the entry all show the second result.
        QCOMPARE(parts(*m_main).q_cy->fieldText(QStringLiteral("成语")),
                 QStringLiteral("不可思议"));
        QCOMPARE(parts(*m_main).DBGrid1->currentIndex().data().toString(),
                 QStringLiteral("不可思议"));
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("不可思议"));
        QCOMPARE(parts(*m_main).RichEdit1->paragraphs(),
                 (QStringList{QString(), QStringLiteral("【拼音】bù kě sī yì")}));
        QVERIFY(s->isVisible());

        // Enter right after a key chooses from what that key found.
        type(s, QStringLiteral("bai"));
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Return);
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("百发百中"));

        type(s, QStringLiteral("一"));
        QTRY_COMPARE(s->results()->rowCount(), 3); // two idioms, one explanation
        const QRect second =
            testing::part<QTreeView>(*s, "resultlst")->visualRect(s->results()->index(1, 0));
        QTest::mouseClick(testing::part<QTreeView>(*s, "resultlst")->viewport(), Qt::LeftButton, {},
                          second.center());
        QTest::mouseDClick(testing::part<QTreeView>(*s, "resultlst")->viewport(), Qt::LeftButton,
                           {}, second.center());
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("一言一语"));
        QCOMPARE(parts(*m_main).DBGrid1->currentIndex().data().toString(),
                 QStringLiteral("一言一语"));
    }

    // After the list is re-read, results are rows of the new snapshot; nothing is written.
    void refreshAndNothingWritten() {
        const QByteArray database = testing::readFile(m_folder->databasePath());
        const QByteArray settings = testing::readFile(RegistryKey::storageFile());
        Tsearch_frm* s = openSearch();
        QVERIFY(s);
        type(s, QStringLiteral("a"));
        QTRY_COMPARE(idioms(s->results()),
                     (QStringList{QStringLiteral("阿鼻地狱"), QStringLiteral("爱不释手")}));
        m_folder->appendRow(testing::entry(QStringLiteral("aaaa"), QStringLiteral("安步当车"),
                                           QStringLiteral("ān bù dàng chē")));
        const QByteArray grown = testing::readFile(m_folder->databasePath());
        QTest::mouseClick(parts(*m_main).allvbtn, Qt::LeftButton);
        QTRY_COMPARE(idioms(s->results()),
                     (QStringList{QStringLiteral("阿鼻地狱"), QStringLiteral("爱不释手"),
                                  QStringLiteral("安步当车")}));
        testing::part<QTreeView>(*s, "resultlst")->setCurrentIndex(s->results()->index(2, 0));
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Enter);
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("安步当车"));
        QVERIFY(database != grown);
        QCOMPARE(testing::readFile(m_folder->databasePath()), grown);
        QCOMPARE(testing::readFile(RegistryKey::storageFile()), settings);
    }

    // What cannot be read after the list opened gives the error box, once, and the
    // program goes on: a damaged page, and a dictionary copied over the open one.
    void unreadableDictionaryGivesTheErrorBox_data() {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("damaged page") << true;
        QTest::newRow("copied over while open") << false;
    }

    void unreadableDictionaryGivesTheErrorBox() {
        QFETCH(bool, damaged);
        m_main.reset();
        m_folder = std::make_unique<testing::ProgramFolder>(longRows());
        if (damaged)
            QVERIFY(damageOnePage(m_folder->databasePath()));
        m_main = std::make_unique<Tmain_frm>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        QCOMPARE(parts(*m_main).cymc->text(), QStringLiteral("成语0"));
        const auto& shown = Dialogs::Script::shownMessages();
        QCOMPARE(shown.size(), 0); // the list and its codes were read
        if (!damaged) {
            // Other rows are read when wanted: one that cannot be is no blank entry.
            const testing::ProgramFolder other(testing::sampleRows());
            QFile file(m_folder->databasePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(testing::readFile(other.databasePath()));
            file.close();
            QTest::mouseClick(parts(*m_main).nextbtn, Qt::LeftButton);
            QTRY_COMPARE(shown.size(), 1);
            QVERIFY2(shown[0].text.startsWith(QStringLiteral("读取成语表失败：")),
                     qPrintable(shown[0].text));
        }
        const qsizetype before = shown.size();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        QTest::keyClick(m_main.get(), Qt::Key_F, Qt::ControlModifier);
        Tsearch_frm* s = m_main->searchWindow();
        QVERIFY(s);
        QTRY_COMPARE(shown.size(), before + 1);
        QVERIFY2(shown.last().text.startsWith(QStringLiteral("读取成语表失败：")),
                 qPrintable(shown.last().text));
        // The search goes on with what was read, and asks no more.
        type(s, QStringLiteral("cheng"));
        QTRY_VERIFY(s->results()->rowCount() > 0);
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Return);
        QVERIFY(s->isVisible() && m_main->isVisible());
        QCOMPARE(shown.size(), before + 1);
        Dialogs::Script::end(); // cleanup() wants no boxes of other tests
        Dialogs::Script::begin();
    }

    // A paste is kept whole up to far beyond any real query; a flood is cut there, so
    // the field stays quick to lay out on every paint.
    void pastedQueryIsBounded_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("kept");
        const QString longQuery =
            QStringLiteral("dui niu tan qin ").repeated(9) + QStringLiteral("bei shui che xin");
        QTest::newRow("long pinyin") << longQuery << int(longQuery.size());
        QTest::newRow("combining marks") << u'a' + QString(9999, QChar(0x0301)) << 200;
    }

    void pastedQueryIsBounded() {
        QFETCH(QString, pasted);
        QFETCH(int, kept);
        Tsearch_frm* s = openSearch();
        QVERIFY(s);
        QApplication::clipboard()->setText(pasted);
        testing::part<QLineEdit>(*s, "searchedt")->selectAll();
        QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(testing::part<QLineEdit>(*s, "searchedt")->text(), pasted.left(kept));
        QTRY_VERIFY(
            !testing::part<QLabel>(*s, "countlbl")->text().startsWith(QStringLiteral("输入")));
        s->repaint();
    }

    void emptySnapshot() {
        m_main.reset();
        m_folder = std::make_unique<testing::ProgramFolder>(std::vector<IdiomEntry>{});
        m_main = std::make_unique<Tmain_frm>();
        m_main->show();
        Tsearch_frm* s = openSearch();
        QVERIFY(s);
        for (const char* input : {"dui", "牛", "\"牛\""}) {
            type(s, QString::fromUtf8(input));
            QTRY_COMPARE(testing::part<QLabel>(*s, "countlbl")->text(), QStringLiteral("没有找到"));
            QTest::keyClick(testing::part<QLineEdit>(*s, "searchedt"), Qt::Key_Return);
            QCOMPARE(s->results()->rowCount(), 0);
            QCOMPARE(parts(*m_main).q_cy->currentRow(), -1);
        }
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "data/PinyinCollation.h"
#include "platform/QuorvaneError.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/TestTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>

#include <csignal>

using namespace quorvane;
using quorvane::testing::entry;
using quorvane::testing::ProgramFolder;
using quorvane::testing::storedRows;

namespace {
sqlite3* openRaw(const QString& path) {
    return openEncryptedDatabase(path, AdoConnection::databasePassword(), false);
}

void execRaw(const QString& path, const char* sql) {
    sqlite3* db = openRaw(path);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

std::vector<IdiomEntry> threeRows() {
    return {entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱")),
            entry(QStringLiteral("bksy"), QStringLiteral("不可思议")),
            entry(QStringLiteral("bksy"), QStringLiteral("不可胜言"))};
}

// Connection and maintenance cursor over a program folder.
struct Table {
    AdoConnection connection;
    AdoTable table;
    explicit Table(const QString& folder) {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder));
        connection.open();
        table.setConnection(&connection);
        table.setTableName(QStringLiteral("cy"));
        table.open();
    }
    QString idiom() const { return table.fieldText(QStringLiteral("成语")); }
};

const QString kIdiom = QStringLiteral("成语");

// Child process of killBetweenPostsLeavesFileConsistent: appends rows whose nine columns
// all hold the row's number, one post each, and reports every commit.
int postForever(const QString& folder) {
    Table t(folder);
    for (int n = 1;; ++n) {
        t.table.append();
        for (const QString& field : t.table.fieldNames())
            t.table.setFieldText(field, QString::number(n));
        t.table.post();
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}
} // namespace

class TestTableEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void postWritesOnlyTheEditedRow();
    void appendCancelAndDelete();
    void leavingARowSavesOnlyAChangedOne_data();
    void leavingARowSavesOnlyAChangedOne();
    void refusedPostKeepsTheRowInEdit_data();
    void refusedPostKeepsTheRowInEdit();
    void autoEditFollowsTheDataSource();
    void bookmarkRefusesARowThatReusedItsRowid();
    void readOnlyDictionaryOpensAndSaysWhyAChangeIsNotKept();
    void killBetweenPostsLeavesFileConsistent();
};

void TestTableEditing::postWritesOnlyTheEditedRow() {
    ProgramFolder folder(threeRows());
    execRaw(folder.databasePath(), "update cy set 典故 = null where rowid = 3");
    const QStringList before = storedRows(folder.databasePath());
    Table t(folder.path());
    QSignalSpy states(&t.table, &AdoDataSet::stateChanged);
    t.table.last(); // 不可胜言: shares its code with the row before it
    t.table.edit();
    QCOMPARE(t.table.state(), DataSetState::Edit);
    t.table.setFieldText(QStringLiteral("拼音"), QStringLiteral("bù kě shèng yán"));
    QCOMPARE(t.table.fieldText(QStringLiteral("拼音")), QStringLiteral("bù kě shèng yán"));
    QCOMPARE(storedRows(folder.databasePath()), before); // nothing written before the post
    t.table.post();
    QCOMPARE(t.table.state(), DataSetState::Browse);
    QCOMPARE(states.count(), 2);
    QStringList expected = before;
    expected[2] = QStringLiteral("3|bksy|不可胜言|bù kě shèng yán||||||∅"); // NULL untouched
    QCOMPARE(storedRows(folder.databasePath()), expected);
    QCOMPARE(t.table.currentRow(), 2);
    QCOMPARE(t.table.fieldText(QStringLiteral("拼音")), QStringLiteral("bù kě shèng yán"));
}

void TestTableEditing::appendCancelAndDelete() {
    ProgramFolder folder(threeRows());
    Table t(folder.path());
    const QStringList before = storedRows(folder.databasePath());
    t.table.first();
    t.table.append();
    QCOMPARE(t.table.state(), DataSetState::Insert);
    QCOMPARE(t.idiom(), QString());
    t.table.setFieldText(kIdiom, QStringLiteral("画蛇添足"));
    t.table.deleteRecord(); // drops the new row, deletes nothing
    QCOMPARE(t.table.state(), DataSetState::Browse);
    QCOMPARE(t.idiom(), QStringLiteral("阿鼻地狱"));
    QCOMPARE(storedRows(folder.databasePath()), before);

    t.table.edit();
    t.table.append(); // an unchanged edit is dropped
    t.table.setFieldText(kIdiom, QStringLiteral("画蛇添足"));
    t.table.post();
    QCOMPARE(t.table.recordCount(), 4);
    QCOMPARE(t.table.currentRow(), 3);
    QCOMPARE(storedRows(folder.databasePath()),
             before + QStringList{QStringLiteral("4||画蛇添足|||||||")});

    t.table.moveTo(1);
    t.table.edit();
    t.table.setFieldText(kIdiom, QStringLiteral("改了"));
    t.table.cancel();
    QCOMPARE(t.idiom(), QStringLiteral("不可思议"));
    t.table.deleteRecord();
    QCOMPARE(t.idiom(), QStringLiteral("不可胜言")); // the row that took its place
    t.table.last();
    t.table.deleteRecord();
    QCOMPARE(t.idiom(), QStringLiteral("不可胜言")); // the last row gone: the one before it
    QCOMPARE(storedRows(folder.databasePath()), (QStringList{before[0], before[2]}));

    // An empty table: edit starts a new row, delete drops it.
    t.table.first();
    t.table.deleteRecord();
    t.table.deleteRecord();
    QCOMPARE(t.table.recordCount(), 0);
    QVERIFY(t.table.bof() && t.table.eof());
    t.table.edit();
    QCOMPARE(t.table.state(), DataSetState::Insert);
    t.table.deleteRecord();
    QCOMPARE(t.table.state(), DataSetState::Browse);
    QVERIFY(storedRows(folder.databasePath()).isEmpty());
}

void TestTableEditing::leavingARowSavesOnlyAChangedOne_data() {
    QTest::addColumn<QString>("leave");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("change");
    for (const char* leave : {"next", "prior", "first", "last", "moveTo", "append", "filter"})
        for (const bool append : {false, true})
            for (const bool change : {false, true})
                QTest::addRow("%s %s %s", leave, append ? "new row" : "edit",
                              change ? "changed" : "unchanged")
                    << QString::fromLatin1(leave) << append << change;
}

void TestTableEditing::leavingARowSavesOnlyAChangedOne() {
    QFETCH(QString, leave);
    QFETCH(bool, append);
    QFETCH(bool, change);
    ProgramFolder folder(threeRows());
    Table t(folder.path());
    t.table.moveTo(1);
    append ? t.table.append() : t.table.edit();
    if (change)
        t.table.setFieldText(kIdiom, QStringLiteral("新成语"));
    if (leave == u"next")
        t.table.next();
    else if (leave == u"prior")
        t.table.prior();
    else if (leave == u"first")
        t.table.first();
    else if (leave == u"last")
        t.table.last();
    else if (leave == u"moveTo")
        t.table.moveTo(0);
    else if (leave == u"append")
        t.table.append();
    else
        t.table.setFiltered(true);
    QCOMPARE(t.table.state(), leave == u"append" ? DataSetState::Insert : DataSetState::Browse);
    const QStringList stored = storedRows(folder.databasePath());
    QString idioms;
    for (const QString& row : stored)
        idioms += row.section(u'|', 2, 2) + u' ';
    const QString expected = !change ? QStringLiteral("阿鼻地狱 不可思议 不可胜言 ")
                             : append ? QStringLiteral("阿鼻地狱 不可思议 不可胜言 新成语 ")
                                      : QStringLiteral("阿鼻地狱 新成语 不可胜言 ");
    QCOMPARE(idioms, expected);
    QCOMPARE(t.table.recordCount(), int(stored.size()));
}

void TestTableEditing::refusedPostKeepsTheRowInEdit_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message"); // "" when the post goes through
    const QString rare = QString::fromUcs4(U"\U00020000\U00020001\U00020002\U00020003");
    QTest::newRow("代码 of 5") << "代码"
                               << "abcde"
                               << "“代码”太长：最多 4 个字符，现在有 5 个";
    QTest::newRow("代码 of 4 rare characters") << "代码" << rare << "";
    QTest::newRow("成语 of 101") << "成语" << QString(101, u'一') << "“成语”太长：最多 100 个字符";
    QTest::newRow("成语 of 100") << "成语" << QString(100, u'一') << "";
    QTest::newRow("拼音 of 256") << "拼音" << QString(256, u'a') << "“拼音”太长：最多 255 个字符";
    QTest::newRow("反义 of 256") << "反义" << QString(256, u'a') << "“反义”太长";
    QTest::newRow("典故 of 65,536")
        << "典故" << QString(65536, u'a') << "“典故”太长：最多 65535 个字符";
    QTest::newRow("refused by the database") << "成语"
                                             << "拒绝"
                                             << "无法保存成语：不收";
}

void TestTableEditing::refusedPostKeepsTheRowInEdit() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    ProgramFolder folder(threeRows());
    // Refuses after the row was written: the whole transaction must go back.
    execRaw(folder.databasePath(), "create trigger refuse after update on cy "
                                   "when new.成语 = '拒绝' begin select raise(abort, '不收'); end");
    const QStringList before = storedRows(folder.databasePath());
    Table t(folder.path());
    t.table.edit();
    t.table.setFieldText(QStringLiteral("近义"), QStringLiteral("同义"));
    t.table.setFieldText(field, value);
    try {
        t.table.post();
        QVERIFY2(message.isEmpty(), "the post should have been refused");
        QCOMPARE(storedRows(folder.databasePath()).first().section(u'|', 6, 6),
                 QStringLiteral("同义"));
        return;
    } catch (const QuorvaneError& error) {
        QVERIFY2(!message.isEmpty(), qPrintable(error.message()));
        QVERIFY2(error.message().startsWith(message), qPrintable(error.message()));
    }
    QCOMPARE(t.table.state(), DataSetState::Edit);
    QCOMPARE(t.table.fieldText(field), value);
    QCOMPARE(storedRows(folder.databasePath()), before);
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, t.table.next()); // leaving posts, and fails again
    QCOMPARE(t.table.currentRow(), 0);
    t.table.setFieldText(field, QStringLiteral("好"));
    t.table.post(); // corrected, it goes through
    QCOMPARE(storedRows(folder.databasePath()).first().section(u'|', 6, 6), QStringLiteral("同义"));
}

void TestTableEditing::autoEditFollowsTheDataSource() {
    ProgramFolder folder(threeRows());
    Table t(folder.path());
    DataSource source;
    source.setDataSet(&t.table);
    source.setAutoEdit(false);
    QVERIFY(!source.edit());
    QCOMPARE(t.table.state(), DataSetState::Browse);
    source.setAutoEdit(true);
    QVERIFY(source.edit());
    QCOMPARE(t.table.state(), DataSetState::Edit);

    AdoQuery query; // a query is read-only
    query.setConnection(&t.connection);
    query.setSql(QStringLiteral("select * from cy order by 成语"));
    query.open();
    source.setDataSet(&query);
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, source.edit());
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, query.setFieldText(kIdiom, QStringLiteral("x")));
}

void TestTableEditing::bookmarkRefusesARowThatReusedItsRowid() {
    ProgramFolder folder(threeRows());
    Table t(folder.path());
    AdoQuery q;
    q.setConnection(&t.connection);
    q.setSql(QStringLiteral("select * from cy order by 成语"));
    q.open();
    QVERIFY(q.locate(kIdiom, QStringLiteral("不可胜言"), {})); // the table's last row
    const Bookmark mark = q.bookmark();
    t.table.last();
    t.table.deleteRecord();
    t.table.append();
    t.table.setFieldText(kIdiom, QStringLiteral("啊呀"));
    t.table.post();
    QCOMPARE(storedRows(folder.databasePath()).last().section(u'|', 0, 0), QStringLiteral("3"));
    q.close();
    q.open();
    q.gotoBookmark(mark);
    QCOMPARE(q.currentRow(), 0);
    QCOMPARE(q.fieldText(kIdiom), QStringLiteral("阿鼻地狱"));
    QVERIFY(q.locate(kIdiom, QStringLiteral("不可思议"), {})); // a row kept is found again
    const Bookmark kept = q.bookmark();
    q.close();
    q.open();
    q.gotoBookmark(kept);
    QCOMPARE(q.fieldText(kIdiom), QStringLiteral("不可思议"));
}

void TestTableEditing::killBetweenPostsLeavesFileConsistent() {
#ifdef Q_OS_UNIX
    ProgramFolder folder(threeRows());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--post-forever"), folder.path()});
    QVERIFY(child.waitForStarted());
    int posted = 0;
    while (posted < 40 && child.waitForReadyRead(10000))
        while (child.canReadLine())
            posted = child.readLine().trimmed().toInt();
    QVERIFY2(posted >= 40, child.readAllStandardError().constData());
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());
    while (child.canReadLine())
        posted = qMax(posted, child.readLine().trimmed().toInt());

    QCOMPARE(testing::integrityCheck(folder.databasePath()), QStringLiteral("ok"));
    const QStringList rows = storedRows(folder.databasePath());
    const int added = int(rows.size()) - 3;
    QVERIFY2(added == posted || added == posted + 1, qPrintable(QString::number(added)));
    for (int n = 1; n <= added; ++n) // every committed row whole, none half-written
        QCOMPARE(rows[n + 2].section(u'|', 1), QStringList(9, QString::number(n)).join(u'|'));
#else
    QSKIP("needs a POSIX kill");
#endif
}

void TestTableEditing::readOnlyDictionaryOpensAndSaysWhyAChangeIsNotKept() {
    ProgramFolder folder(testing::sampleRows());
    const QString path = folder.databasePath();
    const QByteArray before = testing::readFile(path);
    // As an installed package leaves it: everyone may read, nobody but root may write.
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto enterable = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile(path).setPermissions(readable));
    QVERIFY(QFile(folder.path()).setPermissions(enterable));
    const int result = testing::runWithPermissionsEnforced([&folder, &path] {
        try {
            Table t(folder.path()); // reading still works
            if (t.table.recordCount() == 0)
                return 4;
            t.table.edit();
            t.table.setFieldText(QStringLiteral("拼音"), QStringLiteral("x"));
            t.table.post();
            return 1;
        } catch (const QuorvaneError& e) {
            return e.message().contains(QStringLiteral("不可写")) && e.message().contains(path) &&
                           e.message().contains(QStringLiteral("~/.local"))
                       ? 0
                       : 2;
        }
    });
    QVERIFY(QFile(folder.path()).setPermissions(enterable | QFile::WriteOwner | QFile::WriteGroup));
    QCOMPARE(result, 0);
    QCOMPARE(testing::readFile(path), before);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--post-forever") == 0)
        return postForever(QString::fromLocal8Bit(argv[2]));
    TestTableEditing test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tableediting.moc"

#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/DataSource.h"
#include "data/IdiomDatabase.h"
#include "data/PinyinCollation.h"
#include "data/ReadingOrder.h"
#include "platform/QuorvaneError.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <sqlite3.h>

using namespace quorvane;
using quorvane::testing::entry;
using quorvane::testing::ProgramFolder;

namespace {
const QString kSql = QStringLiteral("select * from cy order by 成语");

QByteArray fileHash(const QString& path) {
    return QCryptographicHash::hash(testing::readFile(path), QCryptographicHash::Sha256);
}

// Connection and lookup cursor over a program folder, as the main window opens them.
struct Store {
    AdoConnection connection;
    AdoQuery query;
    explicit Store(const QString& folder) {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder));
        query.setConnection(&connection);
        query.setSql(kSql);
    }
    void open() {
        connection.open();
        query.open();
        query.first();
    }
    QStringList idioms() const {
        QStringList result;
        for (int row = 0; row < query.recordCount(); ++row)
            result << query.cellText(row, query.fieldIndex(QStringLiteral("成语")));
        return result;
    }
    QString current() const { return query.fieldText(QStringLiteral("成语")); }
};

void execRaw(const QString& path, const QString& password, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        sqlite3_key(db, key.constData(), int(key.size()));
        sqlite3_exec(db, "pragma kdf_iter = 4000", nullptr, nullptr, nullptr);
    }
    PinyinCollation::registerOn(db);
    ReadingOrder::registerOn(db);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    sqlite3_free(error);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}
// A dictionary as SQLCipher's shell makes it: the key, and no key settings of ours.
void createWithDefaultSettings(const QString& path, const QString& password) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const QByteArray key = password.toUtf8();
    sqlite3_key(db, key.constData(), int(key.size()));
    const int rc = sqlite3_exec(db,
                                "create table cy (代码 text, 成语 text, 拼音 text, 解释 text, "
                                "示例 text, 近义 text, 反义 text, 出处 text, 典故 text);"
                                "insert into cy (代码, 成语) values ('yysy', '一丝不苟');"
                                "insert into cy (代码, 成语) values ('abdy', '阿鼻地狱');",
                                nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}
} // namespace

class TestIdiomStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectionStringHasTheFivePieces();
    void opensInPinyinOrder();
    void cursorFlagsFollowTheMoves();
    void emptyTableSetsBothFlags();
    void filterSkipsRefusedRowsInEveryMove();
    void nullColumnsReadAsEmpty();
    void locateFindsFirstMatchInCursorOrder();
    void locateAgreesWithAScanForEveryPrefix();
    void bookmarksSurviveReopening();
    void snapshotIgnoresLaterChangesUntilReopened();
    void closingTheConnectionClosesItsCursors();
    void badDatabasesGiveClearErrorsAndStayUntouched_data();
    void badDatabasesGiveClearErrorsAndStayUntouched();
    void wrongProviderIsRefused();
    void defaultKeySettingsOpen();
    void createReplacesTargetAtomically();
};

void TestIdiomStore::connectionStringHasTheFivePieces() {
    QCOMPARE(AdoConnection::buildConnectionString(QStringLiteral("C:\\P\\")),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Password=\"\";User ID=Admin;"
                            "Data Source=C:\\P\\cy.mdb;Mode=Read|Write;Extended Properties=\"\";"
                            "Locale Identifier=2052;Jet OLEDB:Database "
                            "Password=\"vormtal38qepzix\""));
}

void TestIdiomStore::opensInPinyinOrder() {
    // Inserted out of order; code points alone would put 百 (U+767E) before 阿 (U+963F).
    ProgramFolder folder({entry(QStringLiteral("zwzy"), QStringLiteral("醉翁之意不在酒")),
                          entry(QStringLiteral("bfbz"), QStringLiteral("百发百中")),
                          entry(QStringLiteral("absx"), QStringLiteral("爱不释手")),
                          entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱")),
                          entry(QStringLiteral("chst"), QStringLiteral("沧海桑田")),
                          entry(QStringLiteral("bfbz"), QStringLiteral("百发百中"))});
    Store store(folder.path());
    store.open();
    QCOMPARE(store.idioms(),
             (QStringList{QStringLiteral("阿鼻地狱"), QStringLiteral("爱不释手"),
                          QStringLiteral("百发百中"), QStringLiteral("百发百中"),
                          QStringLiteral("沧海桑田"), QStringLiteral("醉翁之意不在酒")}));
    QCOMPARE(store.query.currentRow(), 0);
    QCOMPARE(store.query.fieldNames().size(), 9);
    QCOMPARE(store.query.fieldNames().first(), QStringLiteral("代码"));
}

void TestIdiomStore::cursorFlagsFollowTheMoves() {
    ProgramFolder folder(testing::sampleRows());
    Store store(folder.path());
    store.open();
    AdoQuery& q = store.query;
    QVERIFY(q.bof());
    QVERIFY(!q.eof());

    q.prior(); // did not move
    QCOMPARE(q.currentRow(), 0);
    QVERIFY(q.bof());

    q.next();
    QCOMPARE(q.currentRow(), 1);
    QVERIFY(!q.bof() && !q.eof());

    q.last();
    QCOMPARE(q.currentRow(), q.recordCount() - 1);
    q.next(); // did not move: now at the end
    QCOMPARE(q.currentRow(), q.recordCount() - 1);
    QVERIFY(q.eof());
    QVERIFY(!q.bof());

    q.prior();
    QVERIFY(!q.eof() && !q.bof());
    q.first();
    QVERIFY(q.bof());
    QVERIFY(!q.eof());

    q.moveTo(3); // as the list does
    QVERIFY(!q.bof() && !q.eof());
    q.moveTo(0); // any successful move clears the flags, even onto the first row
    QVERIFY(!q.bof());
}

void TestIdiomStore::filterSkipsRefusedRowsInEveryMove() {
    ProgramFolder folder(testing::sampleRows());
    Store store(folder.path());
    store.open();
    AdoQuery& q = store.query;
    QList<int> accepted;
    for (int row = 0; row < q.recordCount(); ++row)
        if (row % 3 == 1)
            accepted << row;
    QVERIFY(accepted.size() >= 3);
    QStringList read;
    q.setOnFilterRecord([&accepted, &read](AdoDataSet& set) {
        read << set.fieldText(QStringLiteral("成语"));
        return accepted.contains(set.currentRow());
    });
    QSignalSpy moves(&q, &AdoDataSet::currentChanged);
    q.setFiltered(true);
    QCOMPARE(q.currentRow(), accepted.first());
    QCOMPARE(moves.count(), 1);                     // the candidates were visited without signals
    QCOMPARE(read.first(), store.idioms().first()); // and read as the current row
    QVERIFY(q.bof());
    QList<int> seen{q.currentRow()};
    for (q.next(); !q.eof(); q.next())
        seen << q.currentRow();
    QCOMPARE(seen, accepted);
    QCOMPARE(q.currentRow(), accepted.last());
    q.prior();
    QCOMPARE(q.currentRow(), accepted[accepted.size() - 2]);
    q.last();
    QCOMPARE(q.currentRow(), accepted.last());
    QVERIFY(q.eof());

    q.setOnFilterRecord([](AdoDataSet&) { return false; });
    q.first();
    QCOMPARE(q.currentRow(), -1);
    QVERIFY(q.bof() && q.eof());
    q.setFiltered(false);
    QCOMPARE(q.currentRow(), 0);
    QVERIFY(!q.eof());
}

void TestIdiomStore::emptyTableSetsBothFlags() {
    ProgramFolder folder({});
    Store store(folder.path());
    store.open();
    AdoQuery& q = store.query;
    QCOMPARE(q.recordCount(), 0);
    QVERIFY(q.bof() && q.eof());
    q.next();
    q.prior();
    q.last();
    QVERIFY(q.bof() && q.eof());
    QCOMPARE(q.fieldText(QStringLiteral("成语")), QString());
    QVERIFY(!q.locate(QStringLiteral("代码"), QStringLiteral("a"), {true, true}));
    QVERIFY(q.bookmark().isNull());
}

void TestIdiomStore::nullColumnsReadAsEmpty() {
    ProgramFolder folder({entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"))});
    execRaw(folder.databasePath(), AdoConnection::databasePassword(),
            "insert into cy (成语) values ('爱不释手')");
    Store store(folder.path());
    store.open();
    store.query.next();
    QCOMPARE(store.current(), QStringLiteral("爱不释手"));
    for (const QString& field : store.query.fieldNames())
        if (field != u"成语")
            QCOMPARE(store.query.fieldText(field), QString());
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, store.query.fieldText(QStringLiteral("不存在")));
    store.query.close();
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, store.query.fieldText(QStringLiteral("成语")));
}

void TestIdiomStore::locateFindsFirstMatchInCursorOrder() {
    ProgramFolder folder(testing::sampleRows());
    Store store(folder.path());
    store.open();
    AdoQuery& q = store.query;
    const QString code = QStringLiteral("代码");
    const LocateOptions partial{true, true};

    // "bk" and "bz" prefixes: the cursor order decides, not the code order.
    QVERIFY(q.locate(code, QStringLiteral("b"), partial));
    QCOMPARE(store.current(), QStringLiteral("百发百中"));
    QVERIFY(q.locate(code, QStringLiteral("BKS"), partial));
    QCOMPARE(store.current(), QStringLiteral("不可胜言"));  // 胜 (sheng) sorts before 思 (si)
    QVERIFY(q.locate(code, QStringLiteral("bz"), partial)); // stored as "BZSC"
    QCOMPARE(store.current(), QStringLiteral("不知所措"));

    // A failed search leaves the row where it was.
    const int before = q.currentRow();
    QVERIFY(!q.locate(code, QStringLiteral("qq"), partial));
    QCOMPARE(q.currentRow(), before);

    // Whole value: "bk" is a prefix but no whole code.
    QVERIFY(!q.locate(code, QStringLiteral("bk"), {true, false}));
    QVERIFY(q.locate(code, QStringLiteral("YSBG"), {true, false}));
    QCOMPARE(store.current(), QStringLiteral("一丝不苟"));

    // Case matters when asked to.
    QVERIFY(!q.locate(code, QStringLiteral("bzsc"), {false, false}));
    QVERIFY(q.locate(code, QStringLiteral("BZ"), {false, true}));
    QCOMPARE(store.current(), QStringLiteral("不知所措"));
    QVERIFY(!q.bof() && !q.eof());
}

void TestIdiomStore::locateAgreesWithAScanForEveryPrefix() {
    // Codes unrelated to the idiom order, so the earliest row of a prefix sits anywhere in
    // the code order.
    std::vector<IdiomEntry> rows;
    const QString letters = QStringLiteral("abcAB");
    for (int i = 0; i < 300; ++i) {
        QString code;
        for (int n = 0, v = (i * 7919) % 997; n < 1 + i % 4; ++n, v /= 5)
            code += letters[v % 5];
        rows.push_back(
            entry(code, QStringLiteral("成语%1").arg((i * 37) % 300, 3, 10, QLatin1Char('0'))));
    }
    ProgramFolder folder(rows);
    Store store(folder.path());
    store.open();
    AdoQuery& q = store.query;
    const int field = q.fieldIndex(QStringLiteral("代码"));
    QSet<QString> prefixes = {QString()};
    for (int row = 0; row < q.recordCount(); ++row)
        for (int n = 1; n <= 4; ++n)
            prefixes << q.cellText(row, field).left(n) << q.cellText(row, field).left(n) + u'c';
    for (const QString& prefix : prefixes) {
        for (const bool partial : {true, false}) {
            int expected = -1;
            for (int row = 0; row < q.recordCount() && expected < 0; ++row) {
                const QString code = q.cellText(row, field).toLower();
                if (partial ? code.startsWith(prefix.toLower()) : code == prefix.toLower())
                    expected = row;
            }
            q.moveTo(q.recordCount() - 1);
            const bool found = q.locate(QStringLiteral("代码"), prefix, {true, partial});
            QCOMPARE(found, expected >= 0);
            QCOMPARE(q.currentRow(), found ? expected : q.recordCount() - 1);
        }
    }
}

void TestIdiomStore::bookmarksSurviveReopening() {
    ProgramFolder folder(testing::sampleRows());
    Store store(folder.path());
    store.open();
    AdoQuery& q = store.query;
    q.gotoBookmark({}); // null: nothing happens
    QCOMPARE(q.currentRow(), 0);

    QVERIFY(q.locate(QStringLiteral("代码"), QStringLiteral("ysbg"), {true, false}));
    const Bookmark mark = q.bookmark();
    q.first();
    q.gotoBookmark(mark);
    QCOMPARE(store.current(), QStringLiteral("一丝不苟"));

    // A row sorted in front moves every index; the bookmark still finds its idiom.
    folder.appendRow(entry(QStringLiteral("aaaa"), QStringLiteral("阿谀奉承")));
    q.close();
    q.open();
    q.fetchAll(); // until the open has read every row, other programs cannot write
    q.gotoBookmark(mark);
    QCOMPARE(store.current(), QStringLiteral("一丝不苟"));

    // Its row deleted: going there does nothing.
    execRaw(folder.databasePath(), AdoConnection::databasePassword(),
            "delete from cy where 成语 = '一丝不苟'");
    q.close();
    q.open();
    q.next();
    q.gotoBookmark(mark);
    QCOMPARE(q.currentRow(), 1);
}

void TestIdiomStore::snapshotIgnoresLaterChangesUntilReopened() {
    ProgramFolder folder(testing::sampleRows());
    Store store(folder.path());
    store.open();
    QSignalSpy reloaded(&store.query, &AdoDataSet::dataSetChanged);
    const int rows = store.query.recordCount();
    const QString firstBefore = store.current();

    // Written through another cursor of the same connection, as the maintenance window does.
    IdiomDatabase::insert(store.connection.handle(),
                          entry(QStringLiteral("aa"), QStringLiteral("阿猫阿狗")));
    QCOMPARE(store.query.recordCount(), rows);
    QCOMPARE(store.current(), firstBefore);

    AdoTable table;
    table.setConnection(&store.connection);
    table.setTableName(QStringLiteral("cy"));
    table.open();
    QCOMPARE(table.recordCount(), rows + 1);
    table.last();
    QCOMPARE(table.fieldText(QStringLiteral("成语")), QStringLiteral("阿猫阿狗")); // stored order

    store.query.close();
    store.query.open();
    QCOMPARE(store.query.recordCount(), rows + 1);
    QCOMPARE(store.idioms().mid(0, 3),
             (QStringList{QStringLiteral("阿鼻地狱"), QStringLiteral("阿猫阿狗"),
                          QStringLiteral("爱不释手")}));
    QCOMPARE(reloaded.size(), 2); // closed, then opened
}

void TestIdiomStore::closingTheConnectionClosesItsCursors() {
    ProgramFolder folder(testing::sampleRows());
    Store store(folder.path());
    store.open();
    AdoTable table;
    table.setConnection(&store.connection);
    table.setTableName(QStringLiteral("cy"));
    table.open();
    store.connection.close();
    QVERIFY(!store.query.active());
    QVERIFY(!table.active());
    QVERIFY(!store.connection.connected());
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, store.query.open());
}

void TestIdiomStore::badDatabasesGiveClearErrorsAndStayUntouched_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("missing file") << "missing" << QStringLiteral("找不到数据库文件");
    QTest::newRow("wrong password") << "password" << QStringLiteral("不是使用此密码的成语数据库");
    QTest::newRow("wrong password, default settings")
        << "defaults" << QStringLiteral("不是使用此密码的成语数据库");
    QTest::newRow("not a database") << "text" << QStringLiteral("不是使用此密码的成语数据库");
    QTest::newRow("unencrypted") << "plain" << QStringLiteral("没有加密");
    QTest::newRow("no table cy") << "notable" << QStringLiteral("没有成语表 cy");
    QTest::newRow("missing columns") << "columns" << QStringLiteral("缺少列：典故");
}

void TestIdiomStore::badDatabasesGiveClearErrorsAndStayUntouched() {
    QFETCH(QString, kind);
    QFETCH(QString, messagePart);
    ProgramFolder folder({entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"))});
    const QString path = folder.databasePath();
    QFile::remove(path);
    if (kind == u"password") {
        execRaw(path, QStringLiteral("another password"), "create table cy (代码 text)");
    } else if (kind == u"defaults") {
        createWithDefaultSettings(path, QStringLiteral("another password"));
    } else if (kind == u"text") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    } else if (kind == u"plain") {
        execRaw(path, {}, "create table cy (代码 text)");
    } else if (kind == u"notable") {
        execRaw(path, AdoConnection::databasePassword(), "create table other (x text)");
    } else if (kind == u"columns") {
        execRaw(path, AdoConnection::databasePassword(),
                "create table cy (代码 text, 成语 text, 拼音 text, 解释 text, 示例 text, "
                "近义 text, 反义 text, 出处 text)");
    }
    const QByteArray before = fileHash(path);

    Store store(folder.path());
    try {
        store.open();
        QFAIL("opening should have failed");
    } catch (const QuorvaneError& error) {
        QVERIFY2(error.message().contains(messagePart), qPrintable(error.message()));
        if (kind != u"notable" && kind != u"columns")
            QVERIFY2(error.message().contains(path), qPrintable(error.message()));
    }
    QVERIFY(!store.connection.connected());
    QVERIFY(!store.query.active());
    QCOMPARE(fileHash(path), before);
    QCOMPARE(QFile::exists(path), kind != u"missing");
}

void TestIdiomStore::defaultKeySettingsOpen() {
    ProgramFolder folder({});
    const QString path = folder.databasePath();
    QFile::remove(path);
    createWithDefaultSettings(path, AdoConnection::databasePassword());
    const QByteArray before = fileHash(path);
    Store store(folder.path());
    store.open();
    // Such a table has no pinyin collation of its own, so the order is not checked here.
    QStringList idioms = store.idioms();
    idioms.sort();
    QCOMPARE(idioms, (QStringList{QStringLiteral("一丝不苟"), QStringLiteral("阿鼻地狱")}));
    store.connection.close();
    QCOMPARE(fileHash(path), before);
}

void TestIdiomStore::wrongProviderIsRefused() {
    ProgramFolder folder(testing::sampleRows());
    AdoConnection connection;
    connection.setConnectionString(QStringLiteral("Provider=SQLOLEDB;Data Source=") +
                                   folder.databasePath());
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, connection.open());
    connection.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;"));
    QVERIFY_THROWS_EXCEPTION(QuorvaneError, connection.open());
    QVERIFY(!connection.connected());
}

void TestIdiomStore::createReplacesTargetAtomically() {
    ProgramFolder folder(testing::sampleRows());
    // A second build over an open database replaces it whole; the open one keeps its rows.
    Store old(folder.path());
    old.open();
    IdiomDatabase::create(folder.databasePath(),
                          {entry(QStringLiteral("yyyy"), QStringLiteral("一言一语"))});
    QCOMPARE(old.query.recordCount(), int(testing::sampleRows().size()));
    Store fresh(folder.path());
    fresh.open();
    QCOMPARE(fresh.idioms(), QStringList{QStringLiteral("一言一语")});
    const QStringList leftovers =
        QDir(folder.path()).entryList({QStringLiteral("cy.mdb.*")}, QDir::Files);
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u',')));
}

QTEST_GUILESS_MAIN(TestIdiomStore)
#include "tst_idiomstore.moc"

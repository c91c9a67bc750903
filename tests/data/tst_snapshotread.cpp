// A cursor that reads its rows in two steps must hold exactly what a cursor reading at once
// holds, whatever is read first and whatever is written meanwhile.
#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/ReadingOrder.h"
#include "support/TestDatabase.h"

#include "platform/QuorvaneError.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <tuple>

using namespace quorvane;
using quorvane::testing::entry;
using quorvane::testing::ProgramFolder;

namespace {
// Rows whose rowid order and list order differ, some with empty columns. With `readings`
// each row has one (pin with a tone number, "pin3"), and the list follows them;
// otherwise ("x1") the collation of the idiom orders the list.
std::vector<IdiomEntry> rows(bool readings = false) {
    std::vector<IdiomEntry> result;
    for (int i = 0; i < 3000; ++i) {
        const int key = (i * 7919) % 3000;
        result.push_back(
            entry(QStringLiteral("c%1").arg(key % 97),
                  QStringLiteral("成语%1").arg(key, 4, 10, QLatin1Char('0')),
                  readings ? QStringLiteral("pin%1").arg(i % 5) : QStringLiteral("x%1").arg(i),
                  i % 5 ? QStringLiteral("解释%1").arg(i).repeated(1 + i % 40) : QString(),
                  QStringLiteral("例%1").arg(i)));
    }
    return result;
}

void openOn(AdoConnection& connection, const ProgramFolder& folder) {
    connection.setConnectionString(AdoConnection::buildConnectionString(folder.path()));
    connection.open();
}

// As the main window sets up q_cy.
void asTheLookupQuery(AdoQuery& query) {
    query.setSql(QStringLiteral("select * from cy order by 成语"));
    query.setPreloadFields({QStringLiteral("代码")});
}

QList<QStringList> everyCell(const AdoDataSet& set) {
    QList<QStringList> cells;
    for (int row = 0; row < set.recordCount(); ++row) {
        QStringList values;
        for (int field = 0; field < set.fieldNames().size(); ++field)
            values << set.cellText(row, field);
        cells << values;
    }
    return cells;
}
} // namespace

class TestSnapshotRead : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stepsHoldWhatOneReadHolds_data();
    void stepsHoldWhatOneReadHolds();
    void fileCutWhileReadingIsReported_data();
    void fileCutWhileReadingIsReported();
};

void TestSnapshotRead::stepsHoldWhatOneReadHolds_data() {
    QTest::addColumn<bool>("table");         // the maintenance cursor, else the lookup query
    QTest::addColumn<bool>("readings");      // every row has a reading
    QTest::addColumn<QString>("completion"); // how the rest gets read
    for (const auto& [table, readings, name] :
         {std::tuple{false, false, "query"}, std::tuple{false, true, "query, readings"},
          std::tuple{true, false, "table"}}) {
        for (const char* how : {"event loop", "fetchAll", "row by row", "write"})
            QTest::addRow("%s, %s", name, how) << table << readings << QString::fromLatin1(how);
    }
}

void TestSnapshotRead::stepsHoldWhatOneReadHolds() {
    QFETCH(bool, table);
    QFETCH(bool, readings);
    QFETCH(QString, completion);
    ProgramFolder folder(rows(readings));
    AdoConnection connection;
    openOn(connection, folder);

    // The same statement in a form that is read at once.
    AdoQuery whole;
    whole.setConnection(&connection);
    whole.setSql(table      ? QStringLiteral("select * from cy where 1 order by rowid")
                 : readings ? QStringLiteral("select * from cy where 1 order by ") +
                                  ReadingOrder::orderExpression()
                            : QStringLiteral("select * from cy where 1 order by 成语"));
    whole.open();
    QVERIFY(whole.fetchedAll());
    const QList<QStringList> expected = everyCell(whole);
    whole.close();

    std::unique_ptr<AdoDataSet> steps;
    if (table) {
        auto* t = new AdoTable;
        t->setTableName(QStringLiteral("cy"));
        steps.reset(t);
    } else {
        auto* q = new AdoQuery;
        asTheLookupQuery(*q);
        steps.reset(q);
    }
    steps->setConnection(&connection);
    steps->open();
    QVERIFY(!steps->fetchedAll());
    QCOMPARE(steps->recordCount(), int(expected.size()));
    // A row from the middle before the rest: read on its own.
    for (int field = 0; field < steps->fieldNames().size(); ++field)
        QCOMPARE(steps->cellText(1500, field), expected[1500][field]);
    QVERIFY(!steps->fetchedAll());

    if (completion == QLatin1String("event loop")) {
        QTRY_VERIFY(!steps->preloading());
    } else if (completion == QLatin1String("fetchAll")) {
        steps->fetchAll();
    } else if (completion == QLatin1String("write")) {
        // Another cursor of the connection changes and deletes rows: the snapshot keeps
        // what it had at the open.
        AdoTable writer;
        writer.setConnection(&connection);
        writer.setTableName(QStringLiteral("cy"));
        writer.open();
        writer.edit();
        writer.setFieldText(QStringLiteral("解释"), QStringLiteral("改过"));
        writer.post();
        writer.last();
        writer.deleteRecord();
        QVERIFY(!steps->preloading());
    }
    QCOMPARE(everyCell(*steps), expected);
    // Rows read one by one leave the codes to the event loop; every row is in memory now.
    QCOMPARE(steps->preloading(), !table && completion == QLatin1String("row by row"));
    QCOMPARE(steps->fetchedAll(), !steps->preloading());
}

void TestSnapshotRead::fileCutWhileReadingIsReported_data() {
    QTest::addColumn<bool>("eventLoop");
    QTest::newRow("in the event loop") << true;
    QTest::newRow("read at once") << false;
}

// The open has read the index; the file then loses its second half: the rest cannot be read,
// and that is said, not passed over.
void TestSnapshotRead::fileCutWhileReadingIsReported() {
    QFETCH(bool, eventLoop);
    ProgramFolder folder(rows());
    AdoConnection connection;
    openOn(connection, folder);
    AdoQuery query;
    query.setConnection(&connection);
    asTheLookupQuery(query);
    query.open();
    QFile file(folder.databasePath());
    QVERIFY(file.resize(file.size() / 2));
    QSignalSpy failed(&query, &AdoDataSet::fetchFailed);
    if (eventLoop) {
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY(failed.first().first().toString().startsWith(QStringLiteral("读取成语表失败")));
        QVERIFY(!query.preloading());
    } else {
        QVERIFY_THROWS_EXCEPTION(QuorvaneError, query.fetchAll());
        QCOMPARE(failed.size(), 0);
    }
}

QTEST_MAIN(TestSnapshotRead)
#include "tst_snapshotread.moc"

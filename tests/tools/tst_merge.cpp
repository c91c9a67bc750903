// Adding the idioms a dictionary lacks, or replacing it: what was there stays, and a failed
// or stopped import leaves the file exactly as it was.
#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "platform/QuorvaneError.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "support/TestTable.h"
#include "tools/IdiomImport.h"
#include "tools/IdiomMerge.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace quorvane;
using quorvane::testing::entry;
using quorvane::testing::ProgramFolder;

namespace {
const QByteArray kHeader("代码\t成语\t拼音\t解释\t示例\t近义\t反义\t出处\t典故\n");

QByteArray hashOf(const QString& path) {
    return QCryptographicHash::hash(testing::readFile(path), QCryptographicHash::Sha256);
}

// The dictionary a user has worked on: two imported idioms, one of them edited, and one
// added by hand.
std::unique_ptr<ProgramFolder> editedDictionary() {
    auto folder = std::make_unique<ProgramFolder>(std::vector<IdiomEntry>{
        entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"), QStringLiteral("ā bí dì yù"),
              QStringLiteral("原来的解释")),
        entry(QStringLiteral("abss"), QStringLiteral("爱不释手"), QStringLiteral("ài bù shì shǒu"),
              QStringLiteral("原来的解释"))});
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::buildConnectionString(folder->path()));
    connection.open();
    AdoTable table;
    table.setConnection(&connection);
    table.setTableName(QStringLiteral("cy"));
    table.open();
    table.last();
    table.edit();
    table.setFieldText(QStringLiteral("解释"), QStringLiteral("我改过的解释"));
    table.post();
    table.append();
    table.setFieldText(QStringLiteral("成语"), QStringLiteral("自创成语"));
    table.post();
    return folder;
}

// Rows as "成语:解释", in rowid order.
QStringList stored(const QString& path) {
    QStringList out;
    for (const QString& row : testing::storedRows(path)) {
        const QStringList fields = row.split(u'|');
        out << fields[2] + u':' + fields[4];
    }
    return out;
}

// The incoming data: both idioms as they were first imported, two new ones, one twice.
QString incoming(const QString& folder) {
    const QString path = folder + QStringLiteral("incoming.tsv");
    testing::writeFile(path, kHeader + "abdy\t阿鼻地狱\tā bí dì yù\t原来的解释\t\t\t\t\t\n"
                                       "abss\t爱不释手\tài bù shì shǒu\t原来的解释\t\t\t\t\t\n"
                                       "ajly\t安居乐业\tān jū lè yè\t新的\t\t\t\t\t\n"
                                       "btxl\t白头偕老\tbái tóu xié lǎo\t新的\t\t\t\t\t\n"
                                       "ajly\t安居乐业\tān jū lè yè\t重复\t\t\t\t\t\n");
    return path;
}

QStringList leftovers(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files);
    names.removeAll(QStringLiteral("cy.mdb"));
    names.removeAll(QStringLiteral("incoming.tsv"));
    return names;
}
} // namespace

class TestMerge : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }
    void modes_data();
    void modes();
    void failureLeavesTheFile_data();
    void failureLeavesTheFile();
    void killDuringTheWriteLeavesTheFile();
};

void TestMerge::modes_data() {
    QTest::addColumn<bool>("commandLine");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("said");
    const QStringList merged{u"阿鼻地狱:原来的解释"_qs, u"爱不释手:我改过的解释"_qs,
                             u"自创成语:"_qs, u"安居乐业:新的"_qs, u"白头偕老:新的"_qs};
    const QStringList replaced{u"阿鼻地狱:原来的解释"_qs, u"爱不释手:原来的解释"_qs,
                               u"安居乐业:新的"_qs, u"白头偕老:新的"_qs, u"安居乐业:重复"_qs};
    QTest::newRow("merge") << false << false << merged << QString();
    QTest::newRow("replace") << false << true << replaced << QString();
    QTest::newRow("quorvane-import --merge")
        << true << false << merged << u"已向“%1”添加 2 条成语，3 条词典中已有，保持原样\n"_qs;
    QTest::newRow("quorvane-import") << true << true << replaced << u"已将 5 条成语写入“%1”\n"_qs;
}

void TestMerge::modes() {
    QFETCH(bool, commandLine);
    QFETCH(bool, replace);
    QFETCH(QStringList, expected);
    QFETCH(QString, said);
    const auto folder = editedDictionary();
    const QString input = incoming(folder->path());
    const QString target = folder->databasePath();
    if (commandLine) {
        QProcess tool;
        tool.start(QStringLiteral(QUORVANE_IMPORT_TOOL),
                   replace ? QStringList{input, target}
                           : QStringList{u"--merge"_qs, input, target});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        QVERIFY2(out.startsWith(said.arg(target)), qPrintable(out));
    } else {
        const IdiomImport::Prepared prepared = IdiomImport::prepare(input);
        const IdiomMerge::Outcome outcome =
            IdiomMerge::apply(prepared.entries, target,
                              replace ? IdiomMerge::Mode::Replace : IdiomMerge::Mode::AddMissing);
        QCOMPARE(outcome.added, replace ? 5 : 2);
        QCOMPARE(outcome.kept, replace ? 0 : 3);
    }
    QCOMPARE(stored(target), expected);
    QCOMPARE(testing::integrityCheck(target), QStringLiteral("ok"));
    QCOMPARE(leftovers(folder->path()), QStringList());
}

void TestMerge::failureLeavesTheFile_data() {
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("failure");
    for (const bool replace : {false, true})
        for (const char* failure :
             {"cancel at the start", "cancel at the last row", "full disk", "not a dictionary"})
            if (!replace || qstrcmp(failure, "not a dictionary") != 0)
                QTest::addRow("%s, %s", replace ? "replace" : "merge", failure)
                    << replace << QString::fromLatin1(failure);
}

void TestMerge::failureLeavesTheFile() {
    QFETCH(bool, replace);
    QFETCH(QString, failure);
    const auto folder = editedDictionary();
    const QString target = folder->databasePath();
    if (failure == u"not a dictionary")
        QVERIFY(testing::writeFile(target, "<html>not a dictionary</html>"));
    const QByteArray before = hashOf(target);
    std::vector<IdiomEntry> entries;
    for (int i = 0; i < 1200; ++i)
        entries.push_back(entry(QStringLiteral("cy"), QStringLiteral("成语%1").arg(i),
                                QStringLiteral("chéng yǔ")));

    IdiomDatabase::Progress progress;
    if (failure.startsWith(u"cancel"))
        progress = [&failure](qsizetype done, qsizetype total) {
            if (failure.endsWith(u"start") || done == total)
                throw IdiomMerge::Cancelled();
        };
    std::unique_ptr<testing::FileSizeLimit> limit;
    if (failure == u"full disk")
        limit = std::make_unique<testing::FileSizeLimit>(QFileInfo(target).size() + 4096);
    QString message;
    try {
        IdiomMerge::apply(entries, target,
                          replace ? IdiomMerge::Mode::Replace : IdiomMerge::Mode::AddMissing,
                          progress);
    } catch (const QuorvaneError& error) {
        message = error.message();
    }
    limit.reset();
    QVERIFY2(!message.isEmpty(), "the import said nothing");
    QVERIFY2(message.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))),
             qPrintable(message));
    QCOMPARE(hashOf(target), before);
    QCOMPARE(leftovers(folder->path()), QStringList());
}

// A merge killed while it writes: the dictionary is the old one, byte for byte, and the
// next import clears what the killed one left.
void TestMerge::killDuringTheWriteLeavesTheFile() {
    const auto folder = editedDictionary();
    const QString target = folder->databasePath();
    const QString input = folder->path() + QStringLiteral("incoming.tsv");
    QByteArray many = kHeader;
    for (int i = 0; i < 60000; ++i)
        many += "cyyy\t成语" + QByteArray::number(i) + "\tchéng yǔ yī èr\t解释\t\t\t\t\t\n";
    QVERIFY(testing::writeFile(input, many));
    const QByteArray before = hashOf(target);
    const qint64 size = QFileInfo(target).size();

    QProcess tool;
    tool.start(QStringLiteral(QUORVANE_IMPORT_TOOL), {u"--merge"_qs, input, target});
    QVERIFY(tool.waitForStarted());
    // Killed once the copy of the dictionary is complete and rows are going in.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const QString& name : leftovers(folder->path()))
                if (!name.endsWith(u"-journal") && QFileInfo(folder->path() + name).size() >= size)
                    return true;
            return tool.state() == QProcess::NotRunning;
        }(),
        60000);
    QVERIFY2(tool.state() == QProcess::Running, "the import ended before it could be killed");
    tool.kill();
    QVERIFY(tool.waitForFinished());
    QCOMPARE(hashOf(target), before);

    QCOMPARE(IdiomMerge::apply({}, target, IdiomMerge::Mode::AddMissing).added, 0);
    QCOMPARE(leftovers(folder->path()), QStringList());
}

QTEST_GUILESS_MAIN(TestMerge)
#include "tst_merge.moc"

// The idiom list in the order of each row's own reading, on files made now and on files
// made before the order had an index of its own.
#include "TestConfig.h"
#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/AdoTable.h"
#include "data/Pinyin.h"
#include "data/PinyinCollation.h"
#include "data/ReadingOrder.h"
#include "support/TestDatabase.h"
#include "tools/IdiomImport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <map>

using namespace quorvane;
using quorvane::testing::entry;
using quorvane::testing::ProgramFolder;

namespace {
QByteArray hashOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// What earlier versions wrote: the same table without the index of the list order, or
// with the index of the first key, which read tone numbers ("diu1") as no reading.
enum class Made { Now, WithoutIndex, FirstKey };

void makeOlder(const QString& path, Made made) {
    if (made == Made::Now)
        return;
    sqlite3* db = openEncryptedDatabase(path, AdoConnection::databasePassword(), false);
    ReadingOrder::registerOn(db);
    QCOMPARE(sqlite3_exec(db, "drop index cy_reading2", nullptr, nullptr, nullptr), SQLITE_OK);
    if (made == Made::FirstKey)
        QCOMPARE(sqlite3_exec(db, "create index cy_reading on cy (reading_key(拼音, 成语))",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
    sqlite3_close(db);
}

const char* madeName(Made made) {
    static const char* const names[] = {"this version's file", "file without the index",
                                        "file of the first key"};
    return names[int(made)];
}

// The rows of the idiom list as the main window reads them: (成语, 拼音). With `whole`,
// every cell is read in one pass first, as the preload does; otherwise row by row.
QList<std::pair<QString, QString>> listed(const QString& folder, bool whole = false) {
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::buildConnectionString(folder));
    connection.open();
    AdoQuery query;
    query.setConnection(&connection);
    query.setSql(QStringLiteral("select * from cy order by 成语"));
    query.setPreloadFields({QStringLiteral("代码")});
    query.open();
    if (whole)
        query.fetchAll();
    QList<std::pair<QString, QString>> rows;
    for (int row = 0; row < query.recordCount(); ++row)
        rows.append({query.cellText(row, 1), query.cellText(row, 2)});
    return rows;
}

// A syllable's letters as a dictionary sorts them: ü spelt u after j, q, x, y is u there.
QString dictionaryLetters(QString syllable) {
    if (syllable.size() > 1 && syllable.at(1) == u'v' &&
        QStringLiteral("jqxy").contains(syllable.front()))
        syllable[1] = u'u';
    if (syllable == u"lue" || syllable == u"nue")
        syllable[1] = u'v';
    return syllable;
}

QStringList idioms(const QList<std::pair<QString, QString>>& rows) {
    QStringList out;
    for (const auto& row : rows)
        out << row.first;
    return out;
}

// "成语 拼音" per line, in the order the list must show them.
std::vector<IdiomEntry> parse(const QStringList& lines) {
    std::vector<IdiomEntry> rows;
    for (const QString& line : lines) {
        const qsizetype space = line.indexOf(u' ');
        rows.push_back(entry(QStringLiteral("x"), space < 0 ? line : line.left(space),
                             space < 0 ? QString() : line.mid(space + 1)));
    }
    return rows;
}
} // namespace

class TestReadingOrder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listOrder_data();
    void listOrder();
    void polyphonesOfTheSharedData_data();
    void polyphonesOfTheSharedData();
    void editsKeepTheIndexesWhole_data();
    void editsKeepTheIndexesWhole();
};

void TestReadingOrder::listOrder_data() {
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<Made>("made");
    QTest::addColumn<bool>("whole");
    const QList<std::pair<const char*, QStringList>> cases = {
        {"letters before the character's collation",
         {u"查无实据 chá wú shí jù"_qs, u"长治久安 cháng zhì jiǔ ān"_qs,
          u"朝三暮四 zhāo sān mù sì"_qs}},
        {"tone after the letters",
         {u"八面玲珑 bā miàn líng lóng"_qs, u"拔苗助长 bá miáo zhù zhǎng"_qs,
          u"把酒言欢 bǎ jiǔ yán huān"_qs, u"霸王别姬 bà wáng bié jī"_qs, u"吧唧吧唧 ba ji ba ji"_qs,
          u"白头偕老 bái tóu xié lǎo"_qs}},
        {"the character before the next syllable",
         {u"常备不懈 cháng bèi bù xiè"_qs, u"常年累月 cháng nián lěi yuè"_qs,
          u"长命百岁 cháng mìng bǎi suì"_qs, u"长治久安 cháng zhì jiǔ ān"_qs}},
        {"a syllable before its longer neighbours",
         {u"息息相关 xī xī xiāng guān"_qs, u"惜墨如金 xī mò rú jīn"_qs,
          u"先见之明 xiān jiàn zhī míng"_qs}},
        {"阿 read ē among the e idioms",
         {u"阿鼻地狱 ā bí dì yù"_qs, u"爱不释手 ài bù shì shǒu"_qs, u"阿谀奉承 ē yú fèng chéng"_qs,
          u"鹅行鸭步 é xíng yā bù"_qs, u"恶贯满盈 è guàn mǎn yíng"_qs}},
        {"ü after u",
         {u"路不拾遗 lù bù shí yí"_qs, u"落花流水 luò huā liú shuǐ"_qs,
          u"绿林好汉 lǜ lín hǎo hàn"_qs, u"掠人之美 lüè rén zhī měi"_qs}},
        {"rows without a reading where the collation puts them",
         {u"沧海桑田 cāng hǎi sāng tián"_qs, u"大器晚成"_qs, u"东山再起 dōng shān zài qǐ"_qs,
          u"一言一语"_qs, u"醉翁之意不在酒 zuì wēng zhī yì bù zài jiǔ"_qs}},
        {"a reading used up to its first slip",
         {u"长治久安 cháng zhì jiǔ ān"_qs, u"长治 cháng zhì"_qs, u"长治久安 cháng zhì qqq ān"_qs}},
        {"tone numbers are a reading",
         {u"长治久安 chang2 zhi4 jiu3 an1"_qs, u"超群绝伦 chāo qún jué lún"_qs,
          u"绿林好汉 lv4lin2hao3han4"_qs, u"掠人之美 lüè rén zhī měi"_qs}},
    };
    for (const auto& [name, rows] : cases)
        for (const Made made : {Made::Now, Made::WithoutIndex, Made::FirstKey})
            for (const bool whole : {false, true})
                QTest::addRow("%s, %s, %s", name, madeName(made),
                              whole ? "read whole" : "read by row")
                    << rows << made << whole;
}

void TestReadingOrder::listOrder() {
    QFETCH(QStringList, expected);
    QFETCH(Made, made);
    QFETCH(bool, whole);
    // Stored backwards and rotated, so that neither the rowid nor the collation gives it.
    std::vector<IdiomEntry> rows = parse(expected);
    std::reverse(rows.begin(), rows.end());
    std::rotate(rows.begin(), rows.begin() + 1, rows.end());
    ProgramFolder folder(rows);
    makeOlder(folder.databasePath(), made);
    const QByteArray before = hashOf(folder.databasePath());

    const auto shown = listed(folder.path(), whole);
    QStringList lines;
    for (const auto& [idiom, pinyin] : shown)
        lines << (pinyin.isEmpty() ? idiom : idiom + u' ' + pinyin);
    QCOMPARE(lines, expected);
    // Listing a file never writes it.
    QCOMPARE(hashOf(folder.databasePath()), before);
}

void TestReadingOrder::polyphonesOfTheSharedData_data() {
    QTest::addColumn<Made>("made");
    for (const Made made : {Made::Now, Made::WithoutIndex})
        QTest::newRow(madeName(made)) << made;
}

// Idioms whose first character has two readings stand with the idioms of the reading they
// have: under one first syllable together, and the first syllables in alphabetical order.
void TestReadingOrder::polyphonesOfTheSharedData() {
    QFETCH(Made, made);
    const QString path = QStringLiteral(QUORVANE_SHARED_DATA "/idioms-xinhua-partial.json");
    if (!QFileInfo::exists(path))
        QSKIP("the shared data set is not there");
    ProgramFolder folder(IdiomImport::readJson(path));
    makeOlder(folder.databasePath(), made);
    const QByteArray before = hashOf(folder.databasePath());
    const auto shown = listed(folder.path());
    QCOMPARE(hashOf(folder.databasePath()), before);

    QString previous;
    // (first character, its reading there) -> rows of the list, which must be one run.
    std::map<std::pair<QString, QString>, std::vector<int>> runs;
    int polyphones = 0;
    int withoutReading = 0;
    for (int row = 0; row < shown.size(); ++row) {
        const auto syllables = Pinyin::syllables(shown[row].second, Pinyin::ToneNumbers::Read);
        // A reading the data misspells ("fē") is placed by the collation of the idiom:
        // after a neighbour it puts before, before one it puts after.
        if (syllables.empty() || !syllables.front().known) {
            QVERIFY(row > 0 && row + 1 < shown.size());
            QVERIFY2(PinyinCollation::compare(shown[row - 1].first, shown[row].first) <= 0 &&
                         PinyinCollation::compare(shown[row].first, shown[row + 1].first) < 0,
                     qPrintable(shown[row].first));
            ++withoutReading;
            continue;
        }
        const QString first = dictionaryLetters(syllables.front().text);
        QVERIFY2(
            first >= previous,
            qPrintable(QStringLiteral("%1 (%2) after %3").arg(shown[row].first, first, previous)));
        previous = first;
        const QString character = shown[row].first.left(1);
        if (QStringLiteral("长行重朝").contains(character)) {
            ++polyphones;
            runs[{character, first + QString::number(syllables.front().tone)}].push_back(row);
        }
    }
    QVERIFY(polyphones > 20);
    QVERIFY(withoutReading > 0);
    for (const auto& [group, rows] : runs)
        QVERIFY2(rows.back() - rows.front() + 1 == int(rows.size()),
                 qPrintable(group.first + u' ' + group.second + QStringLiteral(" is split")));
    // Both readings of 长 are there, and 长治久安 stands among the cháng idioms.
    const int index = int(idioms(shown).indexOf(QStringLiteral("长治久安")));
    QVERIFY(index > 0);
    QCOMPARE(Pinyin::syllables(shown[index - 1].second).front().text, QStringLiteral("chang"));
    QCOMPARE(Pinyin::syllables(shown[index].second).front().text, QStringLiteral("chang"));
}

void TestReadingOrder::editsKeepTheIndexesWhole_data() {
    QTest::addColumn<Made>("made");
    for (const Made made : {Made::Now, Made::FirstKey})
        QTest::newRow(madeName(made)) << made;
}

// A row whose key changed with the second key is edited and deleted in a file of either
// key: each index is written with the key it was built with, so the file stays sound.
void TestReadingOrder::editsKeepTheIndexesWhole() {
    QFETCH(Made, made);
    ProgramFolder folder(
        parse({u"丢魂丧胆 diu1 hún sàng dǎn"_qs, u"超群绝伦 chāo qún jué lún"_qs}));
    makeOlder(folder.databasePath(), made);
    {
        AdoConnection connection;
        connection.setConnectionString(AdoConnection::buildConnectionString(folder.path()));
        connection.open();
        AdoTable table;
        table.setConnection(&connection);
        table.setTableName(QStringLiteral("cy"));
        table.open();
        QVERIFY(table.locate(QStringLiteral("成语"), QStringLiteral("丢魂丧胆"), {}));
        table.edit();
        table.setFieldText(QStringLiteral("拼音"), QStringLiteral("diu1 hun2 sang4 dan3"));
        table.post();
        table.deleteRecord();
        QCOMPARE(table.recordCount(), 1);
    }
    sqlite3* db =
        openEncryptedDatabase(folder.databasePath(), AdoConnection::databasePassword(), false);
    ReadingOrder::registerOn(db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "pragma integrity_check", -1, &stmt, nullptr);
    QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
    const QString verdict =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    QCOMPARE(verdict, QStringLiteral("ok"));
}

QTEST_MAIN(TestReadingOrder)
#include "tst_readingorder.moc"

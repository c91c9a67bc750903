#include "data/Pinyin.h"
#include "platform/QuorvaneError.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "tools/IdiomImport.h"

#include "TestConfig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <optional>

using namespace quorvane;
using quorvane::testing::readDatabase;

namespace {
const QByteArray kHeader("代码\t成语\t拼音\t解释\t示例\t近义\t反义\t出处\t典故\n");
const QByteArray kGoodRow("ajly\t安居乐业\tān jū lè yè\t解释\t\t\t\t\t\n");

void writeFile(const QString& path, const QByteArray& bytes) {
    QVERIFY2(testing::writeFile(path, bytes), qPrintable(path));
}

// A TSV file of `count` idioms with the code "abcd" and no sections.
QString writeManyRows(const QTemporaryDir& dir, int count) {
    QByteArray content = kHeader;
    for (int i = 0; i < count; ++i)
        content += "abcd\t成语" + QByteArray::number(i) + "\t\t\t\t\t\t\t\n";
    const QString input = dir.filePath(QStringLiteral("many.tsv"));
    writeFile(input, content);
    return input;
}

QByteArray readBytes(const QString& path) {
    return testing::readFile(path);
}

QStringList idioms(const std::vector<IdiomEntry>& rows) {
    QStringList list;
    for (const IdiomEntry& entry : rows)
        list << entry.text(Column::Idiom);
    return list;
}

QStringList columnsOf(const IdiomEntry& entry) {
    return QStringList(entry.columns.begin(), entry.columns.end());
}

// The message of the QuorvaneError `action` throws, or nothing when it succeeds.
std::optional<QString> errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const QuorvaneError& error) {
        return error.message();
    }
    return std::nullopt;
}
} // namespace

class TestImport : public QObject {
    Q_OBJECT
private:
    // Builds a small valid database at folder/cy.mdb and returns its path.
    QString makeExistingDatabase(const QString& folder);
    void checkFailedImport(const QByteArray& content, const QString& suffix, int line, int record,
                           const QString& field, const QString& fragment);

private Q_SLOTS:
    void tsvRoundTrip();
    void pinyinOrder();
    void tsvErrors_data();
    void tsvErrors();
    void jsonImport();
    void jsonErrors_data();
    void jsonErrors();
    void jsonErrorColumnCountsCharacters();
    void extensions();
    void missingInputKeepsOutput();
    void outputNeverReplacesInput();
    void outputReplacedAndFolderCreated();
    void progressReportsEveryRow();
    void sharedDataSet();
    void commandLine();
    void commandLineProgressOnTerminal();
};

QString TestImport::makeExistingDatabase(const QString& folder) {
    const QString source = folder + QStringLiteral("/existing.tsv");
    writeFile(source, kHeader + "bmll\t八面玲珑\tbā miàn líng lóng\t\t\t\t\t\t\n");
    const QString target = folder + QStringLiteral("/out/cy.mdb");
    IdiomImport::run(source, target);
    QFile::remove(source);
    return target;
}

// Runs an import that must fail: the message names the file, the place and the field, and
// the database that was there before is untouched, with no leftovers beside it.
void TestImport::checkFailedImport(const QByteArray& content, const QString& suffix, int line,
                                   int record, const QString& field, const QString& fragment) {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = makeExistingDatabase(dir.path());
    const QByteArray before = readBytes(existing);
    QVERIFY(!before.isEmpty());

    // Placeholders in the name must reach the message as they are.
    const QString input = dir.filePath(QStringLiteral("输入%1%2%3.") + suffix);
    writeFile(input, content);
    const auto message = errorOf([&] { IdiomImport::run(input, existing); });
    QVERIFY2(message, "the import did not fail");
    QVERIFY2(message->contains(u"“" + input + u"”"), qPrintable(*message));
    if (line > 0)
        QVERIFY2(message->contains(QStringLiteral("第 %1 行").arg(line)), qPrintable(*message));
    if (record > 0)
        QVERIFY2(message->contains(QStringLiteral("第 %1 条记录").arg(record)),
                 qPrintable(*message));
    if (!field.isEmpty())
        QVERIFY2(message->contains(u"字段“" + field + u"”"), qPrintable(*message));
    QVERIFY2(message->contains(fragment), qPrintable(*message));

    QCOMPARE(readBytes(existing), before);
    QCOMPARE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("cy.mdb")});
    QCOMPARE(idioms(readDatabase(dir.filePath(QStringLiteral("out")))),
             QStringList{QStringLiteral("八面玲珑")});
}

void TestImport::tsvRoundTrip() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("idioms.tsv"));
    // BOM, CR LF, escapes, a character outside GBK, padding to trim and blank lines at the end.
    writeFile(input, "\xEF\xBB\xBF" + QByteArray(kHeader).replace("\n", "\r\n") +
                         " aymz \t 阿谀奉承 \t ē yú fèng chéng \t  第一行\\n第二行  \t"
                         "甲\\t乙\t反斜杠\\\\n不是换行\t\\\\\t出自某书\t有一个故事\r\n"
                         "bmll\t八面玲珑\t\t\t\t\t\t\t\r\n"
                         "jrtx\t𠮷人天相\tjí rén tiān xiàng\t\t\t\t\t\t𠮷字在此\r\n"
                         "\r\n  \n\n");
    const QString output = dir.filePath(QStringLiteral("cy.mdb"));
    QCOMPARE(IdiomImport::run(input, output), 3);

    const std::vector<IdiomEntry> rows = readDatabase(dir.path());
    QCOMPARE(rows.size(), size_t(3));
    std::map<QString, QStringList> byIdiom;
    for (const IdiomEntry& entry : rows)
        byIdiom[entry.text(Column::Idiom)] = columnsOf(entry);
    QCOMPARE(byIdiom[QStringLiteral("阿谀奉承")],
             (QStringList{QStringLiteral("aymz"), QStringLiteral("阿谀奉承"),
                          QStringLiteral("ē yú fèng chéng"), QStringLiteral("  第一行\n第二行  "),
                          QStringLiteral("甲\t乙"), QStringLiteral("反斜杠\\n不是换行"),
                          QStringLiteral("\\"), QStringLiteral("出自某书"),
                          QStringLiteral("有一个故事")}));
    QCOMPARE(byIdiom[QStringLiteral("八面玲珑")],
             (QStringList{
                 QStringLiteral("bmll"), QStringLiteral("八面玲珑"), {}, {}, {}, {}, {}, {}, {}}));
    const QStringList outsideGbk = byIdiom[QStringLiteral("𠮷人天相")];
    QCOMPARE(outsideGbk.at(int(Column::Idiom)).toUcs4().first(), 0x20BB7u);
    QCOMPARE(outsideGbk.at(int(Column::Allusion)), QStringLiteral("𠮷字在此"));
}

void TestImport::pinyinOrder() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("order.tsv"));
    // Written in code-point order (八 安 爱 白 阿), which is not the reading order.
    writeFile(input, kHeader + "bmll\t八面玲珑\t\t\t\t\t\t\t\n"
                               "ajly\t安居乐业\t\t\t\t\t\t\t\n"
                               "absx\t爱不释手\t\t\t\t\t\t\t\n"
                               "btxl\t白头偕老\t\t\t\t\t\t\t\n"
                               "abdy\t阿鼻地狱\t\t\t\t\t\t\t\n"
                               "ajly\t安居乐业\t\t第二条同名成语\t\t\t\t\t\n");
    IdiomImport::run(input, dir.filePath(QStringLiteral("cy.mdb")));
    const std::vector<IdiomEntry> rows = readDatabase(dir.path());
    QCOMPARE(idioms(rows), (QStringList{QStringLiteral("阿鼻地狱"), QStringLiteral("爱不释手"),
                                        QStringLiteral("安居乐业"), QStringLiteral("安居乐业"),
                                        QStringLiteral("八面玲珑"), QStringLiteral("白头偕老")}));
    // Repeated idioms are kept as separate rows.
    QStringList explanations{rows[2].text(Column::Explanation), rows[3].text(Column::Explanation)};
    explanations.sort();
    QCOMPARE(explanations, (QStringList{QString(), QStringLiteral("第二条同名成语")}));
}

void TestImport::tsvErrors_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("fragment");

    const QByteArray long101 = QString(101, u'长').toUtf8();
    const QByteArray long256 = QByteArray(256, 'a');

    QTest::newRow("empty file") << QByteArray() << 0 << QString() << QStringLiteral("缺少表头");
    QTest::newRow("header missing a column")
        << QByteArray("代码\t成语\t拼音\t解释\t示例\t近义\t反义\t出处\n") + kGoodRow << 1
        << QString() << QStringLiteral("表头");
    QTest::newRow("header in another order")
        << QByteArray("成语\t代码\t拼音\t解释\t示例\t近义\t反义\t出处\t典故\n") + kGoodRow << 1
        << QString() << QStringLiteral("表头");
    QTest::newRow("no header") << kGoodRow + kGoodRow << 1 << QString() << QStringLiteral("表头");
    QTest::newRow("too few fields")
        << kHeader + kGoodRow + "abcd\t成语\t拼音\n"
        << 3 << QString() << QStringLiteral("应有 9 个字段，实际有 3 个");
    QTest::newRow("too many fields") << kHeader + "amfc\t安居乐业\tān jū lè yè\t解释\t\t\t\t\t\t\n"
                                     << 2 << QString() << QStringLiteral("实际有 10 个");
    QTest::newRow("blank line in the middle")
        << kHeader + "\n" + kGoodRow << 2 << QString() << QStringLiteral("实际有 1 个");
    QTest::newRow("unknown escape")
        << kHeader + kGoodRow + kGoodRow + "amfc\t安居乐业\t\t见\\x处\t\t\t\t\t\n"
        << 4 << QStringLiteral("解释") << QStringLiteral("\\x");
    QTest::newRow("escape before a character outside the BMP")
        << QByteArray(kHeader + "amfc\t安居乐业\t\t\t\t\\𠮷\t\t\t\n") << 2 << QStringLiteral("近义")
        << QStringLiteral("“\\𠮷”");
    QTest::newRow("backslash at the end of a field")
        << kHeader + "amfc\t安居乐业\t\t\t\t\t\t书名\\\t\n"
        << 2 << QStringLiteral("出处") << QStringLiteral("反斜杠");
    QTest::newRow("code too long")
        << kHeader + kGoodRow + "abcde\t安居乐业\t\t\t\t\t\t\t\n"
        << 3 << QStringLiteral("代码") << QStringLiteral("长度 5 超过上限 4");
    QTest::newRow("idiom too long")
        << kHeader + "abcd\t" + long101 + "\t\t\t\t\t\t\t\n"
        << 2 << QStringLiteral("成语") << QStringLiteral("长度 101 超过上限 100");
    QTest::newRow("pinyin too long")
        << kHeader + "abcd\t成语\t" + long256 + "\t\t\t\t\t\t\n"
        << 2 << QStringLiteral("拼音") << QStringLiteral("长度 256 超过上限 255");
    QTest::newRow("antonyms too long") << kHeader + "abcd\t成语\t\t\t\t\t" + long256 + "\t\t\n"
                                       << 2 << QStringLiteral("反义") << QStringLiteral("长度 256");
    QTest::newRow("empty idiom") << kHeader + kGoodRow + "abcd\t  \tpīn\t\t\t\t\t\t\n"
                                 << 3 << QStringLiteral("成语") << QStringLiteral("不能为空");
    QTest::newRow("invalid UTF-8") << kHeader + kGoodRow + "abcd\t成\xff语\t\t\t\t\t\t\t\n"
                                   << 3 << QString() << QStringLiteral("UTF-8");
    QTest::newRow("cut UTF-8 sequence") << kHeader + "abcd\t成\xe8\xaf\t\t\t\t\t\t\t\n" + kGoodRow
                                        << 2 << QString() << QStringLiteral("UTF-8");
    // A character cut by the end of a line or of the file is an error on that line.
    QTest::newRow("character cut at the end of a line")
        << kHeader + kGoodRow + "abcd\t成语\t\t\t\t\t\t\t\xe8\xaf\n" + kGoodRow + kGoodRow << 3
        << QString() << QStringLiteral("UTF-8");
    QTest::newRow("character cut before CR LF")
        << kHeader + kGoodRow + "abcd\t成语\t\t\t\t\t\t\t\xe8\r\n" + kGoodRow << 3 << QString()
        << QStringLiteral("UTF-8");
    QTest::newRow("file cut in a character")
        << kHeader + kGoodRow + "abcd\t成语\t\t\t\t\t\t\t\xe8\xaf" << 3 << QString()
        << QStringLiteral("UTF-8");
    QTest::newRow("explanation longer than a memo field")
        << kHeader + "abcd\t成语\t\t" + QByteArray(65536, 'x') + "\t\t\t\t\t\n"
        << 2 << QStringLiteral("解释") << QStringLiteral("长度 65536 超过上限 65535");
    QTest::newRow("allusion longer than a memo field")
        << kHeader + kGoodRow + "abcd\t成语\t\t\t\t\t\t\t" + QString(65536, u'典').toUtf8() + "\n"
        << 3 << QStringLiteral("典故") << QStringLiteral("长度 65536");
}

void TestImport::tsvErrors() {
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(QString, field);
    QFETCH(QString, fragment);
    checkFailedImport(content, QStringLiteral("tsv"), line, 0, field, fragment);
}

void TestImport::jsonImport() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("idioms.json"));
    writeFile(input, R"([
  {"word": " 阿鼻地狱 ", "pinyin": " ā bí dì yù ", "abbreviation": "abdy",
   "explanation": "佛教指最深的地狱。", "example": "无", "derivation": " 无 "},
  {"word": "爱屋及乌", "pinyin": "ài wū jí wū", "abbreviation": "awjwxyzq",
   "explanation": "无", "example": "无论如何", "derivation": "《尚书大传》", "extra": 1},
  {"word": "安步当车", "pinyin": "ān bù dàng chē", "abbreviation": " abdc ",
   "explanation": "", "example": null}
])");
    IdiomImport::run(input, dir.filePath(QStringLiteral("cy.mdb")));
    const std::vector<IdiomEntry> rows = readDatabase(dir.path());
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(columnsOf(rows[0]), (QStringList{QStringLiteral("abdy"),
                                              QStringLiteral("阿鼻地狱"),
                                              QStringLiteral("ā bí dì yù"),
                                              QStringLiteral("佛教指最深的地狱。"),
                                              {},
                                              {},
                                              {},
                                              {},
                                              {}}));
    // Only example and derivation use "无" for none; the code is the first four letters.
    QCOMPARE(columnsOf(rows[1]), (QStringList{QStringLiteral("awjw"),
                                              QStringLiteral("爱屋及乌"),
                                              QStringLiteral("ài wū jí wū"),
                                              QStringLiteral("无"),
                                              QStringLiteral("无论如何"),
                                              {},
                                              {},
                                              QStringLiteral("《尚书大传》"),
                                              {}}));
    QCOMPARE(columnsOf(rows[2]), (QStringList{QStringLiteral("abdc"),
                                              QStringLiteral("安步当车"),
                                              QStringLiteral("ān bù dàng chē"),
                                              {},
                                              {},
                                              {},
                                              {},
                                              {},
                                              {}}));
}

void TestImport::jsonErrors_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("fragment");

    const QByteArray good(R"({"word": "安居乐业", "pinyin": "ān jū lè yè", "abbreviation": "ajly",
  "explanation": "解释"})");
    auto withWord = [](const QByteArray& word) -> QByteArray {
        return "[{\"word\": " + word +
               ", \"pinyin\": \"x\", \"abbreviation\": \"x\", \"explanation\": \"x\"}]";
    };

    QTest::newRow("missing colon")
        << QByteArray("[\n  {\"word\": \"阿鼻地狱\",\n   \"pinyin\" \"x\"}\n]") << 3 << 0
        << QString() << QStringLiteral("缺少冒号");
    QTest::newRow("unterminated array")
        << "[\n" + good + ",\n" + good << 5 << 0 << QString() << QStringLiteral("JSON 格式错误");
    QTest::newRow("garbage after the array")
        << "[" + good + "]\nx" << 3 << 0 << QString() << QStringLiteral("多余");
    QTest::newRow("empty file") << QByteArray() << 1 << 0 << QString()
                                << QStringLiteral("JSON 格式错误");
    QTest::newRow("invalid UTF-8 in a string")
        << withWord("\"\xff\"") << 1 << 0 << QString() << QStringLiteral("UTF-8");
    QTest::newRow("not an array") << good << 0 << 0 << QString()
                                  << QStringLiteral("最外层应为数组");
    QTest::newRow("record not an object")
        << "[" + good + ", 3]" << 0 << 2 << QString() << QStringLiteral("应为对象");
    QTest::newRow("missing word")
        << "[" + good + R"(, {"pinyin": "x", "abbreviation": "x", "explanation": "x"}])" << 0 << 2
        << QString() << QStringLiteral("缺少字段“word”");
    QTest::newRow("missing explanation")
        << QByteArray(R"([{"word": "成语", "pinyin": "x", "abbreviation": "x"}])") << 0 << 1
        << QString() << QStringLiteral("缺少字段“explanation”");
    QTest::newRow("word not a string")
        << withWord("5") << 0 << 1 << QStringLiteral("word") << QStringLiteral("应为字符串");
    QTest::newRow("example not a string")
        << "[" + good + "," + good + R"(, {"word": "w", "pinyin": "x", "abbreviation": "x",
  "explanation": "x", "example": ["无"]}])"
        << 0 << 3 << QStringLiteral("example") << QStringLiteral("应为字符串");
    QTest::newRow("empty word") << withWord("\" \"") << 0 << 1 << QStringLiteral("word（成语）")
                                << QStringLiteral("不能为空");
    QTest::newRow("word too long")
        << withWord("\"" + QString(101, u'长').toUtf8() + "\"") << 0 << 1
        << QStringLiteral("word（成语）") << QStringLiteral("长度 101 超过上限 100");
    QTest::newRow("pinyin too long")
        << "[" + good + R"(, {"word": "w", "abbreviation": "x", "explanation": "x", "pinyin": ")" +
               QByteArray(256, 'a') + "\"}]"
        << 0 << 2 << QStringLiteral("pinyin（拼音）") << QStringLiteral("长度 256");
    QTest::newRow("example longer than a memo field")
        << "[" + good + R"(, {"word": "w", "abbreviation": "x", "explanation": "x", "pinyin": "x",
  "example": ")" +
               QByteArray(65536, 'a') + "\"}]"
        << 0 << 2 << QStringLiteral("example（示例）") << QStringLiteral("超过上限 65535");
    // Qt's parser lets these through as plain letters or broken characters.
    auto withExample = [&good](const QByteArray& example) -> QByteArray {
        return "[" + good + ",\n" + good + R"(, {"word": "w", "pinyin": "x", "abbreviation": "x",
  "explanation": "x", "example": ")" +
               example + "\"}]";
    };
    QTest::newRow("unknown escape") << withExample("见\\q处") << 0 << 3 << QStringLiteral("example")
                                    << QStringLiteral("无效的转义“\\q”");
    QTest::newRow("hexadecimal escape")
        << withExample("\\x41") << 0 << 3 << QStringLiteral("example") << QStringLiteral("“\\x”");
    QTest::newRow("lone high surrogate")
        << withExample("\\ud842x") << 0 << 3 << QStringLiteral("example")
        << QStringLiteral("“\\ud842”是不成对的代理项");
    QTest::newRow("high surrogate before a letter")
        << withExample("\\ud842\\u0041") << 0 << 3 << QStringLiteral("example")
        << QStringLiteral("不成对");
    QTest::newRow("lone low surrogate") << withWord("\"\\uDFB7\"") << 0 << 1
                                        << QStringLiteral("word") << QStringLiteral("“\\uDFB7”");
}

void TestImport::jsonErrors() {
    QFETCH(QByteArray, content);
    QFETCH(int, line);
    QFETCH(int, record);
    QFETCH(QString, field);
    QFETCH(QString, fragment);
    checkFailedImport(content, QStringLiteral("json"), line, record, field, fragment);
}

void TestImport::jsonErrorColumnCountsCharacters() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The same mistake after four letters and after four Chinese characters (12 bytes).
    auto messageFor = [&](const QByteArray& word) {
        const QString input = dir.filePath(QStringLiteral("position.json"));
        writeFile(input, "[\n  {\"word\": \"" + word + "\" \"pinyin\": \"x\"}\n]");
        return errorOf([&] { IdiomImport::readJson(input); }).value_or(QString());
    };
    const QString ascii = messageFor("abcd");
    const QString chinese = messageFor("阿鼻地狱");
    QVERIFY2(ascii.contains(QStringLiteral("第 2 行第 ")), qPrintable(ascii));
    QCOMPARE(chinese, ascii);
}

void TestImport::extensions() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray tsv = kHeader + kGoodRow;
    const QByteArray json(R"([{"word": "爱屋及乌", "pinyin": "ài wū jí wū",
        "abbreviation": "awjw", "explanation": "x"}])");

    // The reader follows the extension, in any case; the output name plays no part.
    writeFile(dir.filePath(QStringLiteral("a.TSV")), tsv);
    writeFile(dir.filePath(QStringLiteral("b.Json")), json);
    IdiomImport::run(dir.filePath(QStringLiteral("a.TSV")), dir.filePath(QStringLiteral("cy.mdb")));
    QCOMPARE(idioms(readDatabase(dir.path())), QStringList{QStringLiteral("安居乐业")});
    IdiomImport::run(dir.filePath(QStringLiteral("b.Json")),
                     dir.filePath(QStringLiteral("cy.mdb")));
    QCOMPARE(idioms(readDatabase(dir.path())), QStringList{QStringLiteral("爱屋及乌")});

    // JSON content under a .tsv name is read as TSV and fails on its header.
    writeFile(dir.filePath(QStringLiteral("c.tsv")), json);
    const auto asTsv = errorOf([&] { IdiomImport::read(dir.filePath(QStringLiteral("c.tsv"))); });
    QVERIFY(asTsv && asTsv->contains(QStringLiteral("表头")));

    for (const QString& name : {QStringLiteral("d.txt"), QStringLiteral("e"),
                                QStringLiteral("f.tsv.bak"), QStringLiteral("g.csv")}) {
        writeFile(dir.filePath(name), tsv);
        const auto message = errorOf([&] { IdiomImport::read(dir.filePath(name)); });
        QVERIFY2(message, qPrintable(name));
        QVERIFY2(message->contains(dir.filePath(name)) &&
                     message->contains(QStringLiteral("不支持的文件类型")),
                 qPrintable(*message));
    }
    checkFailedImport(tsv, QStringLiteral("txt"), 0, 0, QString(),
                      QStringLiteral("只能导入 .tsv 或 .json"));
}

void TestImport::missingInputKeepsOutput() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = makeExistingDatabase(dir.path());
    const QByteArray before = readBytes(existing);
    const QString input = dir.filePath(QStringLiteral("absent.tsv"));
    const auto message = errorOf([&] { IdiomImport::run(input, existing); });
    QVERIFY(message);
    QVERIFY2(message->contains(input) && message->contains(QStringLiteral("无法读取")),
             qPrintable(*message));
    QCOMPARE(readBytes(existing), before);
}

void TestImport::outputNeverReplacesInput() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("idioms.tsv"));
    const QByteArray content = kHeader + kGoodRow;
    writeFile(input, content);
    const QString sameFile =
        dir.filePath(QStringLiteral("sub/../idioms.tsv")); // another spelling of the input
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    for (const QString& output : {input, sameFile}) {
        const auto message = errorOf([&] { IdiomImport::run(input, output); });
        QVERIFY2(message, qPrintable(output));
        QVERIFY2(message->contains(QStringLiteral("就是输入文件")), qPrintable(*message));
        QCOMPARE(readBytes(input), content);
    }
}

void TestImport::outputReplacedAndFolderCreated() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("idioms.tsv"));
    writeFile(input, kHeader + kGoodRow);

    const QString nested = dir.filePath(QStringLiteral("a/b/c"));
    IdiomImport::run(input, nested + QStringLiteral("/cy.mdb"));
    QCOMPARE(idioms(readDatabase(nested)), QStringList{QStringLiteral("安居乐业")});

    // A database with other rows, or a file that is no database at all, is replaced whole.
    const QString existing = makeExistingDatabase(dir.path());
    IdiomImport::run(input, existing);
    QCOMPARE(idioms(readDatabase(dir.filePath(QStringLiteral("out")))),
             QStringList{QStringLiteral("安居乐业")});
    writeFile(existing, "not a database");
    IdiomImport::run(input, existing);
    QCOMPARE(idioms(readDatabase(dir.filePath(QStringLiteral("out")))),
             QStringList{QStringLiteral("安居乐业")});

    // A header alone gives an empty, valid database.
    writeFile(input, kHeader);
    QCOMPARE(IdiomImport::run(input, existing), 0);
    QVERIFY(readDatabase(dir.filePath(QStringLiteral("out"))).empty());
}

void TestImport::progressReportsEveryRow() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = writeManyRows(dir, 1201);
    std::vector<std::pair<qsizetype, qsizetype>> calls;
    IdiomImport::run(input, dir.filePath(QStringLiteral("cy.mdb")),
                     [&](qsizetype done, qsizetype total) { calls.emplace_back(done, total); });
    QVERIFY(!calls.empty());
    for (size_t i = 0; i < calls.size(); ++i) {
        QCOMPARE(calls[i].second, 1201);
        if (i > 0)
            QVERIFY(calls[i].first > calls[i - 1].first);
    }
    QCOMPARE(calls.back().first, 1201);
    QCOMPARE(readDatabase(dir.path()).size(), size_t(1201));
}

void TestImport::sharedDataSet() {
    const QString path =
        QStringLiteral(QUORVANE_SHARED_DATA) + QStringLiteral("/idioms-xinhua-partial.json");
    if (!QFile::exists(path))
        QSKIP("the shared data set is not available");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    QElapsedTimer timer;
    timer.start();
    const qsizetype count = IdiomImport::run(path, dir.filePath(QStringLiteral("cy.mdb")));
    qInfo("imported %lld idioms in %lld ms", qlonglong(count), qlonglong(timer.elapsed()));
    QCOMPARE(count, 8449);

    const std::vector<IdiomEntry> rows = readDatabase(dir.path());
    QCOMPARE(rows.size(), size_t(8449));
    QCOMPARE(rows.front().text(Column::Idiom), QStringLiteral("阿鼻地狱"));
    // Listed by reading: the first syllables never go back in the alphabet.
    QString previous;
    for (const IdiomEntry& row : rows) {
        const auto syllables = Pinyin::syllables(row.text(Column::Pinyin));
        if (syllables.empty() || !syllables.front().known)
            continue; // placed by its characters
        QString first = syllables.front().text;
        if (first.size() > 1 && first.at(1) == u'v' &&
            QStringLiteral("jqxy").contains(first.front()))
            first[1] = u'u'; // ü written u there
        QVERIFY2(first >= previous, qPrintable(row.text(Column::Idiom)));
        previous = first;
    }

    // Every record arrives whole: compare against the file, read independently.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray records = QJsonDocument::fromJson(file.readAll()).array();
    QCOMPARE(records.size(), 8449);
    std::map<QString, const IdiomEntry*> byIdiom;
    for (const IdiomEntry& entry : rows)
        byIdiom[entry.text(Column::Idiom)] = &entry;
    auto orNone = [](const QString& text) {
        return text == QStringLiteral("无") ? QString() : text;
    };
    int examplesNone = 0;
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        const QString word = record.value(QStringLiteral("word")).toString();
        const auto found = byIdiom.find(word);
        QVERIFY2(found != byIdiom.end(), qPrintable(word));
        const IdiomEntry& entry = *found->second;
        QCOMPARE(entry.text(Column::Code),
                 record.value(QStringLiteral("abbreviation")).toString().left(4));
        QCOMPARE(entry.text(Column::Pinyin), record.value(QStringLiteral("pinyin")).toString());
        QCOMPARE(entry.text(Column::Explanation),
                 record.value(QStringLiteral("explanation")).toString());
        QCOMPARE(entry.text(Column::Example),
                 orNone(record.value(QStringLiteral("example")).toString()));
        QCOMPARE(entry.text(Column::Source),
                 orNone(record.value(QStringLiteral("derivation")).toString()));
        QVERIFY(entry.text(Column::Synonyms).isEmpty() && entry.text(Column::Antonyms).isEmpty() &&
                entry.text(Column::Allusion).isEmpty());
        if (record.value(QStringLiteral("example")).toString() == QStringLiteral("无"))
            ++examplesNone;
    }
    QVERIFY(examplesNone > 0); // the "无" rule was exercised
}

void TestImport::commandLine() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString tool = QStringLiteral(QUORVANE_IMPORT_TOOL);
    const QString input = dir.filePath(QStringLiteral("idioms.tsv"));
    const QString output = dir.filePath(QStringLiteral("输出%1/cy.mdb"));
    auto start = [&](const QStringList& arguments, QProcess& process) {
        process.start(tool, arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    };

    for (const QStringList& arguments :
         {QStringList{}, QStringList{input}, QStringList{input, output, output}}) {
        QProcess process;
        start(arguments, process);
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(u"用法"));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
    QVERIFY(!QFile::exists(output));

    writeFile(input, kHeader + kGoodRow + "abdy\t阿鼻地狱\t\t\t\t\t\t\t\n");
    {
        QProcess process;
        start({input, output}, process);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
                 QStringLiteral("已将 2 条成语写入“%1”\n共 2 条成语，0 条有疑问\n").arg(output));
        QCOMPARE(process.readAllStandardError(), QByteArray()); // no counter in a log
    }
    QCOMPARE(idioms(readDatabase(dir.filePath(QStringLiteral("输出%1")))),
             (QStringList{QStringLiteral("阿鼻地狱"), QStringLiteral("安居乐业")}));

    const QByteArray before = readBytes(output);
    writeFile(input, kHeader + kGoodRow + "abdy\t阿鼻地狱\t\t\n");
    {
        QProcess process;
        start({input, output}, process);
        QCOMPARE(process.exitCode(), 1);
        const QString error = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(error.contains(input) && error.contains(QStringLiteral("第 3 行")),
                 qPrintable(error));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
    QCOMPARE(readBytes(output), before);
}

void TestImport::commandLineProgressOnTerminal() {
    // stderr on a pseudo terminal, as in an interactive shell.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        QSKIP("no pseudo terminal available");
    const auto closeMaster = qScopeGuard([master] { ::close(master); });
    const QString terminal = QString::fromLocal8Bit(ptsname(master));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = writeManyRows(dir, 1234);

    QProcess process;
    process.setStandardErrorFile(terminal);
    process.start(QStringLiteral(QUORVANE_IMPORT_TOOL),
                  {input, dir.filePath(QStringLiteral("cy.mdb"))});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);

    QByteArray shown;
    pollfd poller{master, POLLIN, 0};
    while (::poll(&poller, 1, 200) > 0 && (poller.revents & POLLIN)) {
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        shown.append(buffer, n);
    }
    const QString text = QString::fromUtf8(shown);
    // One line rewritten in place, ended once (the terminal shows \n as \r\n).
    QVERIFY2(text.startsWith(QStringLiteral("\r导入 500/1234\r导入 1000/1234\r导入 1234/1234")),
             qPrintable(text));
    QVERIFY2(text.endsWith(u'\n') && text.count(u'\n') == 1, qPrintable(text));
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"

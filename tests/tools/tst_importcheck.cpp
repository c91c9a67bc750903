#include "support/FullDisk.h"
#include "support/TestDatabase.h"
#include "support/TestFiles.h"
#include "tools/IdiomCheck.h"
#include "tools/IdiomImport.h"
#include "tools/ImportTarget.h"

#include "TestConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace quorvane;

namespace {
const QByteArray kHeader("代码\t成语\t拼音\t解释\t示例\t近义\t反义\t出处\t典故\n");

IdiomEntry entry(const QString& code, const QString& idiom, const QString& pinyin) {
    IdiomEntry e;
    e.text(Column::Code) = code;
    e.text(Column::Idiom) = idiom;
    e.text(Column::Pinyin) = pinyin;
    return e;
}

QString place(qsizetype i) {
    return QStringLiteral("第 %1 行").arg(i + 2);
}

// "Code Count", the kinds found, in the order found.
QString kinds(const IdiomCheck::Result& result) {
    QStringList names;
    for (const IdiomCheck::Finding& finding : result.findings)
        names << IdiomCheck::kindName(finding.kind);
    return names.join(u' ');
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// `inChild` runs in the started process before the program, to set its limits.
Run runTool(const QStringList& arguments, const std::function<void()>& inChild = {}) {
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(QUORVANE_IMPORT_TOOL), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString codeIn(const QString& folder, const QString& idiom) {
    for (const IdiomEntry& row : testing::readDatabase(folder))
        if (row.text(Column::Idiom) == idiom)
            return row.text(Column::Code);
    return QStringLiteral("(missing)");
}
} // namespace

class TestImportCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findings_data();
    void findings();
    void duplicatesAndFixedCodes();
    void sharedDataSet();
    void commandLineOptions();
    void strictAndReport();
    void writesThatCannotFinish_data();
    void writesThatCannotFinish();
    void killedImports_data();
    void killedImports();
    void sweepLeavesLockedBuilds();
    void jsonReadersAgree();
};

void TestImportCheck::findings_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("idiom");
    QTest::addColumn<QString>("pinyin");
    QTest::addColumn<QString>("expected");

    auto row = [](const char* name, const char* code, const char* idiom, const char* pinyin,
                  const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(code) << QString::fromUtf8(idiom)
                            << QString::fromUtf8(pinyin) << QString::fromUtf8(expected);
    };
    row("tone marks", "abdy", "阿鼻地狱", "ā bí dì yù", "");
    row("code in capitals", "ABDY", "阿鼻地狱", "ā bí dì yù", "");
    row("wrong code", "abdc", "阿鼻地狱", "ā bí dì yù", "代码");
    row("empty code", "", "阿鼻地狱", "ā bí dì yù", "代码");
    row("ü", "ljlt", "旅进旅退", "lǚ jìn lǚ tuì", "");
    row("ü as v and u:", "ljlt", "旅进旅退", "lv jìn lu: tuì", "");
    row("apostrophe", "xa", "西安", "xī'ān", "");
    row("run together", "ddfl", "跌宕风流", "diē dàng fēngliú", "");
    row("five characters", "wsbx", "五十步笑百步", "wǔ shí bù xiào bǎi bù", "");
    row("five characters, short code", "wsb", "五十步笑百步", "wǔ shí bù xiào bǎi bù", "代码");
    row("three characters", "mxy", "莫须有", "mò xū yǒu", "");
    row("three characters, two letters", "mx", "莫须有", "mò xū yǒu", "代码");
    row("four characters, three letters", "abd", "阿鼻地狱", "ā bí dì yù", "代码");
    row("punctuation breaks", "bysc", "彼一时，此一时", "bǐ yī shí，cǐ yī shí", "");
    row("code across punctuation", "bysy", "彼一时，此一时", "bǐ yī shí，cǐ yī shí", "代码");
    row("pinyin stops early", "azyq", "爱之欲其生，恶之欲其死", "ài zhī yù qí shēng，wù zhī",
        "字数");
    row("unknown syllable", "aazr", "昂昂自若", "áng áng zì roò", "音节");
    row("slip in a syllable", "bbqy", "闭壁清野", "bì bì qīng yiě", "音节");
    row("cut syllable", "fsss", "蝮蛇螫手，壮士解腕", "fù shé shì shǒu，zhuàng shì j", "音节 字数");
    row("no pinyin", "abcd", "八面玲珑", "", "");
}

void TestImportCheck::findings() {
    QFETCH(QString, code);
    QFETCH(QString, idiom);
    QFETCH(QString, pinyin);
    QFETCH(QString, expected);
    std::vector<IdiomEntry> entries{entry(code, idiom, pinyin)};
    const IdiomCheck::Result result = IdiomCheck::check(entries, false, place);
    QCOMPARE(kinds(result), expected);
    QCOMPARE(result.doubtful, expected.isEmpty() ? 0 : 1);
    QCOMPARE(entries[0].text(Column::Code), code); // nothing changes without --fix-codes
}

void TestImportCheck::duplicatesAndFixedCodes() {
    std::vector<IdiomEntry> entries{
        entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"), QStringLiteral("ā bí dì yù")),
        entry(QStringLiteral("xxxx"), QStringLiteral("安居乐业"), QStringLiteral("ān jū lè yè")),
        entry(QStringLiteral("abdy"), QStringLiteral("阿鼻地狱"), QStringLiteral("ā bí dì yù")),
        entry(QStringLiteral("azyq"), QStringLiteral("爱之欲其生，恶之欲其死"),
              QStringLiteral("ài zhī yù qí shēng，wù zhī")),
        entry(QStringLiteral("abdx"), QStringLiteral("阿鼻地狱"), QString()),
    };
    const IdiomCheck::Result result = IdiomCheck::check(entries, true, place);
    QCOMPARE(kinds(result), QStringLiteral("代码 重复 字数 重复"));
    // Both records of a repeat are named: the finding sits on the later, names the first.
    QCOMPARE(result.findings[1].record, 2);
    QVERIFY2(result.findings[1].text.contains(QStringLiteral("第 2 行")),
             qPrintable(result.findings[1].text));
    QCOMPARE(result.findings[3].record, 4);
    QVERIFY(result.findings[0].fixed);
    QCOMPARE(entries[1].text(Column::Code), QStringLiteral("ajly"));
    QCOMPARE(entries[4].text(Column::Code), QStringLiteral("abdx")); // no pinyin to go by
    QCOMPARE(result.fixedCodes, 1);
    QCOMPARE(result.doubtful, 3); // a fixed code is no longer doubtful
}

void TestImportCheck::sharedDataSet() {
    const QString path =
        QStringLiteral(QUORVANE_SHARED_DATA) + QStringLiteral("/idioms-xinhua-partial.json");
    if (!QFile::exists(path))
        QSKIP("the shared data set is not available");
    const IdiomImport::Prepared plain = IdiomImport::prepare(path);
    const IdiomImport::Prepared fixed = IdiomImport::prepare(path, true);
    QCOMPARE(plain.check.fixedCodes, 0);
    QCOMPARE(fixed.check.fixedCodes, 20);
    QCOMPARE(plain.check.doubtful, 52);
    QCOMPARE(fixed.check.doubtful, 32);

    auto code = [&fixed](const QString& idiom) {
        for (const IdiomEntry& e : fixed.entries)
            if (e.text(Column::Idiom) == idiom)
                return e.text(Column::Code);
        return QString();
    };
    QCOMPARE(code(QStringLiteral("彼一时，此一时")), QStringLiteral("bysc"));
    QCOMPARE(code(QStringLiteral("跌宕风流")), QStringLiteral("ddfl"));
    QCOMPARE(code(QStringLiteral("各人自扫门前雪，莫管他家瓦上霜")), QStringLiteral("grzs"));
    QCOMPARE(code(QStringLiteral("阿鼻地狱")), QStringLiteral("abdy")); // right ones stay
    const auto cut = std::find_if(plain.check.findings.begin(), plain.check.findings.end(),
                                  [&plain](const IdiomCheck::Finding& f) {
                                      return plain.entries[size_t(f.record)].text(Column::Idiom) ==
                                             u"爱之欲其生，恶之欲其死";
                                  });
    QVERIFY(cut != plain.check.findings.end());
    QCOMPARE(cut->kind, IdiomCheck::Kind::Count);
    QCOMPARE(cut->record, 96);
}

void TestImportCheck::commandLineOptions() {
    const Run help = runTool({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char* option : {"--fix-codes", "--strict", "--report", "--help", "--version"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    const Run version = runTool({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QStringLiteral("quorvane-import 3.0\n"));
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--fix"), QStringLiteral("a.tsv"), QStringLiteral("b")},
          QStringList{QStringLiteral("a.tsv"), QStringLiteral("b"), QStringLiteral("--report")}}) {
        const Run run = runTool(wrong);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("用法")), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }
}

void TestImportCheck::strictAndReport() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("idioms.tsv"));
    const QString output = dir.filePath(QStringLiteral("out/cy.mdb"));
    const QString report = dir.filePath(QStringLiteral("报告.tsv"));
    QVERIFY(testing::writeFile(input, kHeader + "abdy\t阿鼻地狱\tā bí dì yù\t\t\t\t\t\t\n"
                                                "bmll\t八面玲珑\t\t\t\t\t\t\t\n"));
    QCOMPARE(runTool({input, output}).exitCode, 0);
    const QByteArray before = testing::readFile(output);

    // A doubtful record (a tab in its pinyin, too, to see the report escape it).
    QVERIFY(testing::writeFile(input, kHeader + "abdy\t阿鼻地狱\tā bí dì yù\t\t\t\t\t\t\n"
                                                "xxxx\t安居乐业\tān jū\\tlè yè\t\t\t\t\t\t\n"));
    const Run strict =
        runTool({QStringLiteral("--strict"), input, output, QStringLiteral("--report"), report});
    QCOMPARE(strict.exitCode, 1);
    QCOMPARE(testing::readFile(output), before);
    QCOMPARE(filesIn(dir.filePath(QStringLiteral("out"))), QStringList{QStringLiteral("cy.mdb")});
    QCOMPARE(strict.out, QStringLiteral("共 2 条成语，1 条有疑问\n"));
    QVERIFY2(strict.err.startsWith(
                 QStringLiteral("第 3 行（安居乐业）：代码“xxxx”与拼音不符，按拼音应为“ajly”\n")),
             qPrintable(strict.err));
    const QByteArray reported = testing::readFile(report);
    QVERIFY(reported.startsWith("\xEF\xBB\xBF")); // so that spreadsheets read it as UTF-8
    QCOMPARE(QString::fromUtf8(reported.mid(3)),
             QStringLiteral("行\t成语\t代码\t拼音\t问题\t说明\n"
                            "3\t安居乐业\txxxx\tān jū\\tlè yè\t代码\t"
                            "代码“xxxx”与拼音不符，按拼音应为“ajly”\n"));

    // Fixed codes are not doubtful, so --strict lets them through.
    const Run fixing = runTool({QStringLiteral("--strict"), QStringLiteral("--fix-codes"), input,
                                output, QStringLiteral("--report=") + report});
    QCOMPARE(fixing.exitCode, 0);
    QCOMPARE(fixing.out, QStringLiteral("已按拼音改正 1 个代码\n已将 2 条成语写入“%1”\n"
                                        "共 2 条成语，0 条有疑问\n")
                             .arg(output));
    QCOMPARE(codeIn(dir.filePath(QStringLiteral("out")), QStringLiteral("安居乐业")),
             QStringLiteral("ajly"));
    QVERIFY(QString::fromUtf8(testing::readFile(report)).contains(QStringLiteral("\t已改代码\t")));

    // A report may not overwrite the input.
    const Run clash = runTool({input, output, QStringLiteral("--report"), input});
    QCOMPARE(clash.exitCode, 1);
    QVERIFY(testing::readFile(input).startsWith(kHeader));
}

void TestImportCheck::writesThatCannotFinish_data() {
    QTest::addColumn<bool>("reportFails");
    QTest::newRow("report on a full disk") << true;
    QTest::newRow("build past a file-size limit") << false;
}

// Each says so, exits 1, and leaves every file as it was and nothing of its own behind.
void TestImportCheck::writesThatCannotFinish() {
    QFETCH(bool, reportFails);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString target = out + QStringLiteral("/cy.mdb");
    const QString small = dir.filePath(QStringLiteral("small.tsv"));
    QVERIFY(testing::writeFile(small, kHeader + "bmll\t八面玲珑\t\t\t\t\t\t\t\n"));
    QCOMPARE(runTool({small, target}).exitCode, 0);
    const QByteArray before = testing::readFile(target);
    QByteArray many = kHeader + "xxxx\t安居乐业\tān jū lè yè\t\t\t\t\t\t\n";
    for (int i = 0; i < 5000; ++i)
        many += "abcd\t成语" + QByteArray::number(i) + "\t\t解释" + QByteArray(60, 'x') +
                "\t\t\t\t\t\n";
    const QString input = dir.filePath(QStringLiteral("many.tsv"));
    QVERIFY(testing::writeFile(input, many));

    const QString reports = dir.filePath(QStringLiteral("reports"));
    const QString report = reports + QStringLiteral("/R.tsv");
    QVERIFY(testing::writeFile(report, "an earlier report\n"));
    Run run;
    if (reportFails) {
        testing::FullDisk disk(reports);
        disk.fill();
        run = runTool({input, target, QStringLiteral("--report"), report});
    } else {
        run = runTool({input, target}, [] {
            const rlimit limit{64 * 1024, 64 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    QCOMPARE(run.exitCode, 1); // -1: ended by a signal, without a word
    QVERIFY2(!run.out.contains(QStringLiteral("已将")), qPrintable(run.out));
    if (reportFails)
        QVERIFY2(run.err.contains(QStringLiteral("无法写入报告文件")) && run.err.contains(report),
                 qPrintable(run.err));
    else
        QVERIFY2(run.err.contains(QStringLiteral("无法")), qPrintable(run.err));
    QCOMPARE(testing::readFile(report), QByteArray("an earlier report\n"));
    QCOMPARE(QDir(reports).entryList(QDir::Files), QStringList{QStringLiteral("R.tsv")});
    QCOMPARE(testing::readFile(target), before);
    QCOMPARE(filesIn(out), QStringList{QStringLiteral("cy.mdb")});
}

void TestImportCheck::killedImports_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGKILL") << int(SIGKILL);
}

void TestImportCheck::killedImports() {
    QFETCH(int, signal);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        QSKIP("no pseudo terminal available");
    const auto closeMaster = qScopeGuard([master] { ::close(master); });

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString target = out + QStringLiteral("/cy.mdb");
    const QString small = dir.filePath(QStringLiteral("small.tsv"));
    QVERIFY(testing::writeFile(small, kHeader + "bmll\t八面玲珑\t\t\t\t\t\t\t\n"));
    QCOMPARE(runTool({small, target}).exitCode, 0);
    QVERIFY(testing::writeFile(out + QStringLiteral("/cy.mdb.backup"), "keep me"));
    const QByteArray before = testing::readFile(target);

    QByteArray many = kHeader;
    for (int i = 0; i < 40000; ++i)
        many += "abcd\t成语" + QByteArray::number(i) + "\t\t解释\t\t\t\t\t\n";
    const QString input = dir.filePath(QStringLiteral("many.tsv"));
    QVERIFY(testing::writeFile(input, many));

    // The counter on the terminal says the build is being written: kill it then.
    QProcess process;
    process.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
    process.start(QStringLiteral(QUORVANE_IMPORT_TOOL), {input, target});
    QVERIFY(process.waitForStarted());
    QByteArray shown;
    pollfd poller{master, POLLIN, 0};
    while (!shown.contains("/40000") && ::poll(&poller, 1, 30000) > 0) {
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        shown.append(buffer, n);
    }
    QVERIFY2(shown.contains("/40000"), shown.constData());
    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(testing::readFile(target), before);

    const QStringList kept{QStringLiteral("cy.mdb"), QStringLiteral("cy.mdb.backup")};
    if (signal == SIGKILL) {
        // Nothing could clean up; the next import sweeps the leftovers of this target only.
        QVERIFY2(filesIn(out).size() > 2, qPrintable(filesIn(out).join(u' ')));
        QCOMPARE(runTool({small, target}).exitCode, 0);
    }
    QCOMPARE(filesIn(out), kept);
    QCOMPARE(testing::readFile(out + QStringLiteral("/cy.mdb.backup")), QByteArray("keep me"));
}

void TestImportCheck::sweepLeavesLockedBuilds() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("cy.mdb"));
    const QString busy = target + QStringLiteral(".import-Busy01");
    const QString stale = target + QStringLiteral(".import-Stale1");
    for (const QString& name : QStringList{busy, busy + QStringLiteral("-journal"), stale,
                                           stale + QStringLiteral("-journal"),
                                           target + QStringLiteral(".import-Gone01-journal"),
                                           dir.filePath(QStringLiteral("other.mdb.import-Stale1"))})
        QVERIFY(testing::writeFile(name, "x"));
    // A running import holds the lock on its build.
    const int fd = ::open(QFile::encodeName(busy).constData(), O_RDONLY);
    QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
    QCOMPARE(ImportTarget::sweep(target), 3);
    QCOMPARE(filesIn(dir.path()), (QStringList{QStringLiteral("cy.mdb.import-Busy01"),
                                               QStringLiteral("cy.mdb.import-Busy01-journal"),
                                               QStringLiteral("other.mdb.import-Stale1")}));
    ::close(fd);
    QCOMPARE(ImportTarget::sweep(target), 2);
}

void TestImportCheck::jsonReadersAgree() {
    // The usual file takes the fast reader; a member that is not a string sends the same
    // records through Qt's parser. Both must give the same entries.
    const QByteArray records[] = {
        R"({"word": " 阿鼻地狱 ", "pinyin": "ā bí dì yù", "abbreviation": "abdyx",
            "explanation": "甲\n乙\t\"丙\"\\\/\u00e9\ud842\udfb7", "example": "无",
            "derivation": null)",
        R"({"derivation": " 无 ", "word": "安居乐业", "explanation": "", "abbreviation": " ajly ",
            "pinyin": "ān jū lè yè", "example": "例")",
    };
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fast = dir.filePath(QStringLiteral("fast.json"));
    const QString general = dir.filePath(QStringLiteral("general.json"));
    QVERIFY(testing::writeFile(fast, "[" + records[0] + "},\n" + records[1] + "}]\n"));
    QVERIFY(testing::writeFile(general, "[" + records[0] + ", \"n\": 1},\n" + records[1] + "}]"));
    const std::vector<IdiomEntry> a = IdiomImport::readJson(fast);
    const std::vector<IdiomEntry> b = IdiomImport::readJson(general);
    QCOMPARE(a.size(), size_t(2));
    QCOMPARE(a[0].text(Column::Explanation), QStringLiteral("甲\n乙\t\"丙\"\\/é𠮷"));
    QCOMPARE(a[0].text(Column::Code), QStringLiteral("abdy"));
    for (size_t i = 0; i < a.size(); ++i)
        QCOMPARE(QStringList(a[i].columns.begin(), a[i].columns.end()),
                 QStringList(b[i].columns.begin(), b[i].columns.end()));
}

QTEST_GUILESS_MAIN(TestImportCheck)
#include "tst_importcheck.moc"

#include "TestConfig.h"
#include "data/AdoConnection.h"
#include "data/AdoQuery.h"
#include "data/IdiomSearch.h"
#include "data/Pinyin.h"
#include "support/TestDatabase.h"
#include "tools/IdiomImport.h"

#include <QFileInfo>
#include <QTest>

using namespace quorvane;
using testing::entry;

namespace {
IdiomEntry row(const QString& idiom, const QString& pinyin, const QString& explanation = {},
               const QString& example = {}, const QString& allusion = {}) {
    IdiomEntry e = entry(Pinyin::initials(pinyin), idiom, pinyin, explanation, example);
    e.text(Column::Allusion) = allusion;
    return e;
}

std::vector<IdiomEntry> searchRows() {
    return {
        row(QStringLiteral("对牛弹琴"), QStringLiteral("duì niú tán qín"),
            QStringLiteral("比喻对不懂道理的人讲道理。")),
        row(QStringLiteral("对答如流"), QStringLiteral("duì dá rú liú")),
        row(QStringLiteral("先发制人"), QStringLiteral("xiān fā zhì rén"), {}, {},
            QStringLiteral("后以比喻先动手。")),
        row(QStringLiteral("西安事变"), QStringLiteral("xī ān shì biàn")),
        row(QStringLiteral("绿水青山"), QStringLiteral("lǜ shuǐ qīng shān")),
        row(QStringLiteral("路不拾遗"), QStringLiteral("lù bù shí yí")),
        row(QStringLiteral("女中豪杰"), QStringLiteral("nǚ zhōng háo jié")),
        row(QStringLiteral("居安思危"), QStringLiteral("jū ān sī wēi")),
        row(QStringLiteral("略知一二"), QStringLiteral("lüè zhī yī èr")),
        row(QStringLiteral("牛刀小试"), QStringLiteral("niú dāo xiǎo shì"),
            QStringLiteral("比喻有大本领的人先在小事上略展才能。")),
        row(QStringLiteral("九牛一毛"), QStringLiteral("jiǔ niú yī máo"),
            QStringLiteral("比喻极大数量中极微小的数量。")),
        row(QStringLiteral("马不停蹄"), QStringLiteral("mǎ bù tíng tí"),
            QStringLiteral("一刻不停。"), QStringLiteral("他像老黄牛一样干活，说OK就干。")),
        row(QStringLiteral("坚持不懈"), QStringLiteral("jiān chí bù xiè"),
            QStringLiteral("坚持到底，一点不松懈。")),
        row(QStringLiteral("持之以恒"), QStringLiteral("chí zhī yǐ héng"),
            QStringLiteral("长久坚持下去。")),
    };
}

// The lookup cursor over a program folder, as the main window opens it.
struct Snapshot {
    AdoConnection connection;
    AdoQuery query;
    explicit Snapshot(const QString& folder) {
        connection.setConnectionString(AdoConnection::buildConnectionString(folder));
        query.setConnection(&connection);
        query.setSql(QStringLiteral("select * from cy order by 成语"));
        connection.open();
        query.open();
    }
    QString idiom(int row) const {
        return query.cellText(row, query.fieldIndex(QStringLiteral("成语")));
    }
};

QString groupName(SearchGroup group) {
    static const char* const names[] = {"pinyin", "start", "contains", "entry"};
    return QString::fromLatin1(names[int(group)]);
}

// "group idiom [matched text]" per hit, in the order found.
QStringList described(const Snapshot& s, const std::vector<SearchHit>& hits) {
    QStringList out;
    for (const SearchHit& hit : hits)
        out << groupName(hit.group) + u' ' + s.idiom(hit.row) + QStringLiteral(" [") +
                   s.query.cellText(hit.row, hit.field).mid(hit.start, hit.length) + u']';
    return out;
}
} // namespace

class TestIdiomSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_folder = std::make_unique<testing::ProgramFolder>(searchRows()); }

    void finds_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("expected");
        const auto add = [](const char* name, const QString& input, const QStringList& expected) {
            QTest::newRow(name) << input << expected;
        };
        const QStringList duiNiu{QStringLiteral("pinyin 对牛弹琴 [duì niú]")};
        add("spaces", QStringLiteral("dui niu"), duiNiu);
        add("tone marks, no space", QStringLiteral("duìniú"), duiNiu);
        add("tone numbers", QStringLiteral("dui4 niu2"), duiNiu);
        add("run together, capitals", QStringLiteral("  DuiNiu"), duiNiu);
        add("ends inside a syllable", QStringLiteral("dui ni"),
            {QStringLiteral("pinyin 对牛弹琴 [duì ni]")});
        add("a space ends the syllable", QStringLiteral("dui ni "), {});
        add("tone number ends the syllable", QStringLiteral("dui ni2"), {});
        add("one syllable, list order", QStringLiteral("dui"),
            {QStringLiteral("pinyin 对答如流 [duì]"), QStringLiteral("pinyin 对牛弹琴 [duì]")});
        add("typed boundary is kept", QStringLiteral("xi an"),
            {QStringLiteral("pinyin 西安事变 [xī ān]")});
        add("apostrophe is a boundary", QStringLiteral("xi'an"),
            {QStringLiteral("pinyin 西安事变 [xī ān]")});
        add("letters run over syllables", QStringLiteral("xian"),
            {QStringLiteral("pinyin 西安事变 [xī ān]"), QStringLiteral("pinyin 先发制人 [xiān]")});
        add("v is ü only", QStringLiteral("lv"),
            {QStringLiteral("pinyin 绿水青山 [lǜ]"), QStringLiteral("pinyin 略知一二 [lü]")});
        add("ü typed", QStringLiteral("lǜ shui"), {QStringLiteral("pinyin 绿水青山 [lǜ shuǐ]")});
        add("u covers u and ü", QStringLiteral("lu"),
            {QStringLiteral("pinyin 路不拾遗 [lù]"), QStringLiteral("pinyin 绿水青山 [lǜ]"),
             QStringLiteral("pinyin 略知一二 [lü]")});
        add("nu covers nü", QStringLiteral("nu zh"), {QStringLiteral("pinyin 女中豪杰 [nǚ zh]")});
        add("jv for the ju of the reading", QStringLiteral("jv an"),
            {QStringLiteral("pinyin 居安思危 [jū ān]")});
        add("lue for lüe", QStringLiteral("lue zhi"),
            {QStringLiteral("pinyin 略知一二 [lüè zhī]")});
        add("u: for ü", QStringLiteral("lu:e"), {QStringLiteral("pinyin 略知一二 [lüè]")});
        add("from the start of the reading only", QStringLiteral("niu tan"), {});

        add("character: idiom start, idiom, entry", QStringLiteral("牛"),
            {QStringLiteral("start 牛刀小试 [牛]"), QStringLiteral("contains 对牛弹琴 [牛]"),
             QStringLiteral("contains 九牛一毛 [牛]"), QStringLiteral("entry 马不停蹄 [牛]")});
        add("word in idiom and explanation, listed once", QStringLiteral("坚持"),
            {QStringLiteral("start 坚持不懈 [坚持]"), QStringLiteral("entry 持之以恒 [坚持]")});
        add("word in explanations and allusions", QStringLiteral(" 比喻 "),
            {QStringLiteral("entry 对牛弹琴 [比喻]"), QStringLiteral("entry 九牛一毛 [比喻]"),
             QStringLiteral("entry 牛刀小试 [比喻]"), QStringLiteral("entry 先发制人 [比喻]")});
        add("not pinyin: text, any case", QStringLiteral("ok就"),
            {QStringLiteral("entry 马不停蹄 [OK就]")});

        add("quoted: every column, no idiom groups", QStringLiteral("\"牛\""),
            {QStringLiteral("entry 对牛弹琴 [牛]"), QStringLiteral("entry 九牛一毛 [牛]"),
             QStringLiteral("entry 马不停蹄 [牛]"), QStringLiteral("entry 牛刀小试 [牛]")});
        add("quoted, still open", QStringLiteral("“牛刀"),
            {QStringLiteral("entry 牛刀小试 [牛刀]")});
        add("quoted reading", QStringLiteral("「dá rú」"),
            {QStringLiteral("entry 对答如流 [dá rú]")});
        add("quoted letters ignore case", QStringLiteral("\"ok\""),
            {QStringLiteral("entry 马不停蹄 [OK]")});
        add("only quotes", QStringLiteral("“ ”"), {});
        add("empty", QStringLiteral("   "), {});
    }

    void finds() {
        QFETCH(QString, input);
        QFETCH(QStringList, expected);
        Snapshot s(m_folder->path());
        s.query.moveTo(3);
        IdiomSearch search(&s.query);
        QCOMPARE(described(s, search.find(input)), expected);
        QCOMPARE(s.query.currentRow(), 3); // searching moves nothing
    }

    void readingSpan_data() {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<int>("letters");
        QTest::addColumn<QString>("covered");
        QTest::newRow("inside a syllable")
            << QStringLiteral("duì niú") << 5 << QStringLiteral("duì ni");
        QTest::newRow("tone mark after the last letter")
            << QStringLiteral("pi\u0301 a\u0300n") << 2 << QStringLiteral("pi\u0301");
        QTest::newRow("u: is one letter")
            << QStringLiteral("lu:e zhi") << 2 << QStringLiteral("lu:");
        QTest::newRow("leading space, apostrophe")
            << QStringLiteral(" xī'ān") << 3 << QStringLiteral("xī'ā");
    }

    void readingSpan() {
        QFETCH(QString, reading);
        QFETCH(int, letters);
        QFETCH(QString, covered);
        const auto [start, length] = Pinyin::readingSpan(reading, letters);
        QCOMPARE(reading.mid(start, length), covered);
    }

    void emptyAndClosedSnapshots() {
        testing::ProgramFolder empty({});
        Snapshot s(empty.path());
        IdiomSearch search(&s.query);
        for (const char* input : {"dui", "牛", "\"牛\""})
            QVERIFY(search.find(QString::fromUtf8(input)).empty());
        s.query.close();
        QVERIFY(search.find(QStringLiteral("dui")).empty());
    }

    // The readings follow the snapshot: a re-read set is searched as it now is.
    void reopenedSnapshotIsSearchedAfresh() {
        testing::ProgramFolder folder(searchRows());
        Snapshot s(folder.path());
        IdiomSearch search(&s.query);
        QCOMPARE(search.find(QStringLiteral("dui niu")).size(), size_t(1));
        folder.appendRow(row(QStringLiteral("阿党比周"), QStringLiteral("ē dǎng bǐ zhōu")));
        s.query.close();
        s.query.open();
        QCOMPARE(described(s, search.find(QStringLiteral("e dang"))),
                 QStringList{QStringLiteral("pinyin 阿党比周 [ē dǎng]")});
        QCOMPARE(described(s, search.find(QStringLiteral("dui niu"))),
                 QStringList{QStringLiteral("pinyin 对牛弹琴 [duì niú]")});
    }

    // Every idiom of the real data set is found by its reading as printed, by the same
    // letters run together, and by its own text.
    void realDataSetFindsEveryRow() {
        const QString path = QStringLiteral(QUORVANE_SHARED_DATA "/idioms-xinhua-partial.json");
        if (!QFileInfo::exists(path))
            QSKIP("the shared data set is absent");
        testing::ProgramFolder folder(IdiomImport::readJson(path));
        Snapshot s(folder.path());
        IdiomSearch search(&s.query);
        const int pinyin = s.query.fieldIndex(QStringLiteral("拼音"));
        int checked = 0;
        for (int r = 0; r < s.query.recordCount(); r += 7) {
            const QString reading = s.query.cellText(r, pinyin);
            const SearchQuery query = SearchQuery::parse(reading);
            if (query.kind != SearchQuery::Kind::Pinyin)
                continue; // readings with stray characters are not typed as pinyin
            QString runTogether;
            for (const QString& token : query.pinyin.tokens)
                runTogether += token;
            for (const QString& input : {reading, runTogether}) {
                const auto hits = search.find(input);
                const auto own = std::find_if(hits.begin(), hits.end(),
                                              [r](const SearchHit& hit) { return hit.row == r; });
                QVERIFY2(own != hits.end(), qPrintable(input));
            }
            const auto byText = search.find(s.idiom(r));
            QVERIFY2(std::any_of(byText.begin(), byText.end(),
                                 [r](const SearchHit& hit) {
                                     return hit.row == r && hit.group == SearchGroup::IdiomStart;
                                 }),
                     qPrintable(s.idiom(r)));
            ++checked;
        }
        QVERIFY(checked > 1000);
    }

private:
    std::unique_ptr<testing::ProgramFolder> m_folder;
};

QTEST_GUILESS_MAIN(TestIdiomSearch)
#include "tst_idiomsearch.moc"

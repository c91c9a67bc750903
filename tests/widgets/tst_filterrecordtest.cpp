#include "widgets/dbaware/FilterRecordTest.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::FilterRecordTest;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(quorvane::FilterRecordTest::Phrases::Kind)

namespace {
Compiled criterion(const QString& field, quint8 matchType, const QString& value,
                   bool caseSensitive = false, bool nonMatching = false) {
    TFilterFieldInfo info;
    info.fieldName = info.displayLabel = field;
    info.matchType = matchType;
    info.value = value;
    info.caseSensitive = caseSensitive;
    info.nonMatching = nonMatching;
    return compile({info}, {}).front();
}
} // namespace

class TestFilterRecordTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsValuesIntoPhrases_data();
    void splitsValuesIntoPhrases();
    void testsOneCriterion_data();
    void testsOneCriterion();
    void memoTextKeepsWholeCharactersWithinTheBuffer_data();
    void memoTextKeepsWholeCharactersWithinTheBuffer();
    void stopsAtTheFirstRefusal();
};

void TestFilterRecordTest::splitsValuesIntoPhrases_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<Phrases::Kind>("kind");
    QTest::addColumn<QStringList>("phrases");
    using K = Phrases::Kind;
    QTest::newRow("or") << u"马 or 牛"_s << K::Or << QStringList{u"马"_s, u"牛"_s};
    QTest::newRow("and, any case") << u"马 AND 牛"_s << K::And << QStringList{u"马"_s, u"牛"_s};
    QTest::newRow("or wins over and")
        << u"a and b or c"_s << K::Or << QStringList{u"a and b"_s, u"c"_s};
    QTest::newRow("first token is a word") << u"or 马"_s << K::Single << QStringList{u"or 马"_s};
    QTest::newRow("quoted phrase")
        << u"\"a  or b\" or c"_s << K::Or << QStringList{u"a  or b"_s, u"c"_s};
    QTest::newRow("quoted operator is a word")
        << u"马 \"or\" 牛"_s << K::Single << QStringList{u"马 or 牛"_s};
    QTest::newRow("blanks and controls rejoined")
        << u"  一\t\t心  一 "_s << K::Single << QStringList{u"一 心 一"_s};
    QTest::newRow("unclosed quote runs to the end")
        << u"\"一 心"_s << K::Single << QStringList{u"一 心"_s};
    QTest::newRow("no empty phrase from a trailing or")
        << u"马 or"_s << K::Or << QStringList{u"马"_s};
}

void TestFilterRecordTest::splitsValuesIntoPhrases() {
    QFETCH(QString, value);
    QFETCH(Phrases::Kind, kind);
    QFETCH(QStringList, phrases);
    const Phrases result = splitPhrases(value, {});
    QCOMPARE(result.kind, kind);
    QCOMPARE(result.phrases, phrases);
}

void TestFilterRecordTest::testsOneCriterion_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("matchType");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    const int start = TFilterFieldInfo::mtStart, any = TFilterFieldInfo::mtAny,
              exact = TFilterFieldInfo::mtExact, range = TFilterFieldInfo::mtRange;
    const QString idiom = u"成语"_s, pinyin = u"拼音"_s, allusion = u"典故"_s;
    QTest::newRow("start") << idiom << start << u"一"_s << false << u"一丝不苟"_s << true;
    QTest::newRow("start, not inside") << idiom << start << u"一"_s << false << u"不一"_s << false;
    QTest::newRow("or, first") << idiom << any << u"马 or 牛"_s << false << u"汗马功劳"_s << true;
    QTest::newRow("or, second") << idiom << any << u"马 or 牛"_s << false << u"对牛弹琴"_s << true;
    QTest::newRow("or, none") << idiom << any << u"马 or 牛"_s << false << u"画蛇添足"_s << false;
    QTest::newRow("and, both") << idiom << any << u"马 and 牛"_s << false << u"风马牛不相及"_s
                               << true;
    QTest::newRow("and, one") << idiom << any << u"马 and 牛"_s << false << u"汗马功劳"_s << false;
    QTest::newRow("null, empty") << allusion << start << u"NULL"_s << false << QString() << true;
    QTest::newRow("null, filled") << allusion << start << u"null"_s << false << u"故事"_s << false;
    QTest::newRow("an, no case") << pinyin << start << u"an"_s << false << u"AN jiàn"_s << true;
    QTest::newRow("an, no case, mixed")
        << pinyin << start << u"aN"_s << false << u"An bù"_s << true;
    QTest::newRow("an, case") << pinyin << start << u"an"_s << true << u"An bù"_s << false;
    QTest::newRow("an, case, lower") << pinyin << start << u"an"_s << true << u"an bù"_s << true;
    QTest::newRow("exact") << idiom << exact << u"一言一语"_s << false << u"一言一语"_s << true;
    QTest::newRow("exact, longer")
        << idiom << exact << u"一言"_s << false << u"一言一语"_s << false;
    // 形 is D0 CE in GBK, the bytes where 中 (D6 D0) meets 文 (CE C4).
    QTest::newRow("no match across characters")
        << idiom << any << u"形"_s << false << u"中文"_s << false;
    QTest::newRow("range passes text") << idiom << range << QString() << false << u"龙"_s << true;
    QTest::newRow("memo past the buffer")
        << allusion << any << u"尾"_s << false << QString(40000, u'中') + u"尾"_s << false;
    QTest::newRow("memo within the buffer")
        << allusion << any << u"尾"_s << false << QString(30000, u'中') + u"尾"_s << true;
}

void TestFilterRecordTest::testsOneCriterion() {
    QFETCH(QString, field);
    QFETCH(int, matchType);
    QFETCH(QString, value);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    const Compiled c = criterion(field, quint8(matchType), value, caseSensitive);
    QCOMPARE(accepts(c, text, 65536), accepted);
    if (matchType != TFilterFieldInfo::mtRange) {
        const Compiled inverted = criterion(field, quint8(matchType), value, caseSensitive, true);
        QCOMPARE(accepts(inverted, text, 65536), !accepted);
    }
}

void TestFilterRecordTest::memoTextKeepsWholeCharactersWithinTheBuffer_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("memoSize");
    QTest::addColumn<int>("kept");
    QTest::newRow("short") << u"短文"_s << 65536 << 2;
    QTest::newRow("two bytes each") << QString(40000, u'中') << 65536 << 32767;
    QTest::newRow("cut inside a character") << u"a"_s + QString(40000, u'中') << 65536 << 32768;
    QTest::newRow("one byte each") << QString(70000, u'a') << 65536 << 65535;
    QTest::newRow("four-byte character") << u"中中𠀀"_s << 8 << 2;
    QTest::newRow("no room") << u"中"_s << 1 << 0;
}

void TestFilterRecordTest::memoTextKeepsWholeCharactersWithinTheBuffer() {
    QFETCH(QString, text);
    QFETCH(int, memoSize);
    QFETCH(int, kept);
    QCOMPARE(memoText(text, memoSize), text.left(kept));
}

void TestFilterRecordTest::stopsAtTheFirstRefusal() {
    const std::vector<Compiled> criteria = {
        criterion(u"成语"_s, TFilterFieldInfo::mtStart, u"一"_s),
        criterion(u"解释"_s, TFilterFieldInfo::mtAny, u"x"_s)};
    QStringList read;
    auto row = [&read](const QString& idiom) {
        return [&read, idiom](const QString& field) {
            read << field;
            return field == u"成语"_s ? idiom : u"x"_s;
        };
    };
    QVERIFY(!acceptsRow(criteria, row(u"二"_s), 65536));
    QCOMPARE(read, QStringList{u"成语"_s});
    read.clear();
    QVERIFY(acceptsRow(criteria, row(u"一二"_s), 65536));
    QCOMPARE(read, (QStringList{u"成语"_s, u"解释"_s}));
}

QTEST_APPLESS_MAIN(TestFilterRecordTest)
#include "tst_filterrecordtest.moc"

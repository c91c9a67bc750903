#include "data/Pinyin.h"

#include <QTest>

#include <algorithm>

using namespace quorvane;

namespace {
// "a bi di yu", an unknown syllable followed by "?".
QString shown(const std::vector<Pinyin::Syllable>& syllables) {
    QStringList parts;
    for (const Pinyin::Syllable& syllable : syllables)
        parts << syllable.text + (syllable.known ? QString() : QStringLiteral("?"));
    return parts.join(u' ');
}
} // namespace

class TestPinyin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void syllables_data();
    void syllables();
    void table();
};

void TestPinyin::syllables_data() {
    QTest::addColumn<QString>("pinyin");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("initials");

    auto row = [](const char* name, const QString& pinyin, const QString& expected,
                  const QString& initials) {
        QTest::newRow(name) << pinyin << expected << initials;
    };
    row("tone marks", QStringLiteral("ā bí dì yù"), QStringLiteral("a bi di yu"),
        QStringLiteral("abdy"));
    row("capitals and ê", QStringLiteral("Ài Wū Jí ê"), QStringLiteral("ai wu ji e"),
        QStringLiteral("awje"));
    row("combining tone marks", QStringLiteral("a\u0301n bu\u0300"), QStringLiteral("an bu"),
        QStringLiteral("ab"));
    row("ü with a tone", QStringLiteral("lǚ nüè Lǜ"), QStringLiteral("lv nve lv"),
        QStringLiteral("lnl"));
    row("ü as u: and v", QStringLiteral("lu:e nv lve"), QStringLiteral("lve nv lve"),
        QStringLiteral("lnl"));
    row("ü written u after j q x y", QStringLiteral("jǖ qu xv yvan"),
        QStringLiteral("jv qu xv yvan"), QStringLiteral("jqxy"));
    row("lue and nue", QStringLiteral("lüè nuè"), QStringLiteral("lve nue"), QStringLiteral("ln"));
    row("pinyin-type letters", QStringLiteral("ɑn ɡē"), QStringLiteral("an ge"),
        QStringLiteral("ag"));
    row("apostrophes", QStringLiteral("xī'ān Xī’ān píʼǎo"), QStringLiteral("xi an xi an pi ao"),
        QStringLiteral("xaxa"));
    row("one syllable stays whole", QStringLiteral("xiān"), QStringLiteral("xian"),
        QStringLiteral("x"));
    row("syllables run together", QStringLiteral("fēngliú gèrénzìsǎo"),
        QStringLiteral("feng liu ge ren zi sao"), QStringLiteral("flgr"));
    row("no split before a vowel", QStringLiteral("xīnán"), QStringLiteral("xi nan"),
        QStringLiteral("xn"));
    row("punctuation and hyphens break", QStringLiteral("bǐ yī shí，cǐ-yī shí。"),
        QStringLiteral("bi yi shi ci yi shi"), QStringLiteral("bysc"));
    row("a slip is not split", QStringLiteral("bì qīng yiě"), QStringLiteral("bi qing yie?"),
        QStringLiteral("bqy"));
    row("unknown syllables", QStringLiteral("bǒi roò j"), QStringLiteral("boi? roo? j?"),
        QStringLiteral("brj"));
    row("tone numbers and stray characters", QStringLiteral("diu1 地 yù"),
        QStringLiteral("diu1? 地? yu"), QStringLiteral("dy"));
    row("empty", QString(), QString(), QString());
}

void TestPinyin::syllables() {
    QFETCH(QString, pinyin);
    QFETCH(QString, expected);
    QFETCH(QString, initials);
    QCOMPARE(shown(Pinyin::syllables(pinyin)), expected);
    QCOMPARE(Pinyin::initials(pinyin), initials);
}

void TestPinyin::table() {
    const std::vector<QString>& table = Pinyin::syllableTable();
    QVERIFY2(table.size() >= 400 && table.size() <= 420, qPrintable(QString::number(table.size())));
    QVERIFY(std::adjacent_find(table.begin(), table.end()) == table.end());
    for (const QString& syllable : table)
        QVERIFY2(Pinyin::isSyllable(syllable), qPrintable(syllable));
    for (const char* wrong : {"boi", "fe", "we", "jan", "nvan", "jo", "lüe", "", "zhuangg"})
        QVERIFY2(!Pinyin::isSyllable(QString::fromUtf8(wrong)), wrong);
}

QTEST_GUILESS_MAIN(TestPinyin)
#include "tst_pinyin.moc"

#include "data/EntryText.h"
#include "platform/TextCodec.h"
#include "support/TestDatabase.h"

#include <QTest>

using namespace quorvane;

namespace {
IdiomEntry only(Column column, const QString& text) {
    IdiomEntry e = testing::entry(QStringLiteral("hstz"), QStringLiteral("画蛇添足"));
    e.text(column) = text;
    return e;
}
} // namespace

class TestEntryText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void screenKeepsSectionOrder();
    void screenSplitsLineBreaks();
    void exportLinesAndEncoding();
};

void TestEntryText::screenKeepsSectionOrder() {
    IdiomEntry empty = testing::entry(QStringLiteral("hstz"), QStringLiteral("画蛇添足"));
    QCOMPARE(EntryText::screenParagraphs(empty), QStringList());

    QCOMPARE(EntryText::screenParagraphs(only(Column::Allusion, QStringLiteral("楚国有人祭祀"))),
             (QStringList{QString(), QStringLiteral("【典故】楚国有人祭祀")}));

    // Filled out of order, shown in section order; spaces count as present.
    IdiomEntry e = only(Column::Example, QStringLiteral("例"));
    e.text(Column::Pinyin) = QStringLiteral("huà shé tiān zú");
    e.text(Column::Source) = QStringLiteral(" ");
    QCOMPARE(EntryText::screenParagraphs(e),
             (QStringList{QString(), QStringLiteral("【拼音】huà shé tiān zú"), QString(),
                          QStringLiteral("【示例】例"), QString(), QStringLiteral("【出处】 ")}));

    // Every heading is four characters: brackets around the column name.
    for (const Section& section : sectionTable())
        QCOMPARE(section.heading.size(), 4);
}

void TestEntryText::screenSplitsLineBreaks() {
    const QStringList paragraphs =
        EntryText::screenParagraphs(only(Column::Explanation, QStringLiteral("一\r\n二\n三\r四")));
    QCOMPARE(paragraphs, (QStringList{QString(), QStringLiteral("【解释】一"), QStringLiteral("二"),
                                      QStringLiteral("三"), QStringLiteral("四")}));
}

void TestEntryText::exportLinesAndEncoding() {
    IdiomEntry empty = testing::entry(QStringLiteral("hstz"), QStringLiteral("画蛇添足"));
    QCOMPARE(EntryText::exportText(empty), QStringLiteral("\r\n【成语】画蛇添足\r\n\r\n"));
    // GBK bytes: 画 is BBAD, the lenticular brackets A1BE/A1BF.
    QCOMPARE(EntryText::exportBytes(empty).left(6), QByteArray("\r\n\xA1\xBE\xB3\xC9", 6));

    QCOMPARE(EntryText::exportText(only(Column::Explanation, QStringLiteral("多此一举"))),
             QStringLiteral("\r\n【成语】画蛇添足\r\n\r\n\r\n【解释】多此一举\r\n"));

    // A line break inside a section continues on its own line, in CR LF.
    QCOMPARE(EntryText::exportText(only(Column::Allusion, QStringLiteral("甲\n乙"))),
             QStringLiteral("\r\n【成语】画蛇添足\r\n\r\n\r\n【典故】甲\r\n乙\r\n"));

    // Outside GBK: kept, not replaced by '?'.
    const QString rare = QStringLiteral("𠮷野");
    const QByteArray bytes = EntryText::exportBytes(only(Column::Example, rare));
    QVERIFY(!bytes.contains('?'));
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(TextCodec::fromAnsi(bytes), EntryText::exportText(only(Column::Example, rare)));
}

QTEST_GUILESS_MAIN(TestEntryText)
#include "tst_entrytext.moc"

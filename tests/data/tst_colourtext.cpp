#include "data/ColourText.h"
#include "platform/QuorvaneError.h"

#include <QtTest>

using namespace quorvane;
using namespace Qt::StringLiterals;

class TestColourText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesRoundTrip_data() {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("name");
        const std::pair<quint32, const char*> table[] = {
            {0x00000000, "clBlack"},         {0x00000080, "clMaroon"},
            {0x00008000, "clGreen"},         {0x00008080, "clOlive"},
            {0x00800000, "clNavy"},          {0x00800080, "clPurple"},
            {0x00808000, "clTeal"},          {0x00808080, "clGray"},
            {0x00C0C0C0, "clSilver"},        {0x000000FF, "clRed"},
            {0x0000FF00, "clLime"},          {0x0000FFFF, "clYellow"},
            {0x00FF0000, "clBlue"},          {0x00FF00FF, "clFuchsia"},
            {0x00FFFF00, "clAqua"},          {0x00FFFFFF, "clWhite"},
            {0x80000000, "clScrollBar"},     {0x80000001, "clBackground"},
            {0x80000002, "clActiveCaption"}, {0x80000003, "clInactiveCaption"},
            {0x80000004, "clMenu"},          {0x80000005, "clWindow"},
            {0x80000006, "clWindowFrame"},   {0x80000007, "clMenuText"},
            {0x80000008, "clWindowText"},    {0x80000009, "clCaptionText"},
            {0x8000000A, "clActiveBorder"},  {0x8000000B, "clInactiveBorder"},
            {0x8000000C, "clAppWorkSpace"},  {0x8000000D, "clHighlight"},
            {0x8000000E, "clHighlightText"}, {0x8000000F, "clBtnFace"},
            {0x80000010, "clBtnShadow"},     {0x80000011, "clGrayText"},
            {0x80000012, "clBtnText"},       {0x80000013, "clInactiveCaptionText"},
            {0x80000014, "clBtnHighlight"},  {0x80000015, "cl3DDkShadow"},
            {0x80000016, "cl3DLight"},       {0x80000017, "clInfoText"},
            {0x80000018, "clInfoBk"},        {0x1FFFFFFF, "clNone"},
        };
        for (const auto& [value, name] : table)
            QTest::newRow(name) << value << QString::fromLatin1(name);
    }

    void namesRoundTrip() {
        QFETCH(quint32, value);
        QFETCH(QString, name);
        QCOMPARE(ColourText::fromColour(value), name);
        QCOMPARE(ColourText::toColour(name), value);
        QCOMPARE(ColourText::toColour(name.toLower()), value);
        QCOMPARE(ColourText::toColour(name.toUpper()), value);
        // The hex form of a table value reads back as its name.
        const QString hex = QStringLiteral("$%1").arg(value, 8, 16, QLatin1Char('0'));
        QCOMPARE(ColourText::fromColour(ColourText::toColour(hex)), name);
    }

    void textsNormalise_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("lower-case name") << u"clred"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("hex red") << u"$000000FF"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("short lower hex") << u"$ff"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("0x hex") << u"0x000000ff"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("0X hex") << u"0XFF0000"_s << 0x00FF0000u << u"clBlue"_s;
        QTest::newRow("decimal red") << u"255"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("plus sign") << u"+255"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("hex blue") << u"$00FF0000"_s << 0x00FF0000u << u"clBlue"_s;
        QTest::newRow("unnamed") << u"$00123456"_s << 0x00123456u << u"$00123456"_s;
        QTest::newRow("unnamed lower") << u"$00abcdef"_s << 0x00ABCDEFu << u"$00ABCDEF"_s;
        QTest::newRow("minus one") << u"-1"_s << 0xFFFFFFFFu << u"$FFFFFFFF"_s;
        QTest::newRow("all bits") << u"$FFFFFFFF"_s << 0xFFFFFFFFu << u"$FFFFFFFF"_s;
        QTest::newRow("negative hex") << u"-$1"_s << 0xFFFFFFFFu << u"$FFFFFFFF"_s;
        QTest::newRow("int max") << u"2147483647"_s << 0x7FFFFFFFu << u"$7FFFFFFF"_s;
        QTest::newRow("int min") << u"-2147483648"_s << 0x80000000u << u"clScrollBar"_s;
        QTest::newRow("leading zeros") << u"$0000000000FF"_s << 0x000000FFu << u"clRed"_s;
        QTest::newRow("zero") << u"0"_s << 0u << u"clBlack"_s;
        QTest::newRow("system colour") << u"$80000008"_s << 0x80000008u << u"clWindowText"_s;
    }

    void textsNormalise() {
        QFETCH(QString, text);
        QFETCH(quint32, value);
        QFETCH(QString, normalised);
        const quint32 read = ColourText::toColour(text);
        QCOMPARE(read, value);
        QCOMPARE(ColourText::fromColour(read), normalised);
    }

    void badTextsFailWithTheMessage_data() {
        QTest::addColumn<QString>("text");
        for (const QString& text :
             {u""_s, u"blue"_s, u"$"_s, u"0x"_s, u"-"_s, u"12x"_s, u"99999999999"_s,
              u"2147483648"_s, u"-2147483649"_s, u"$100000000"_s, u" 255"_s, u"255 "_s, u"$-1"_s,
              u"$FFG"_s, u"clRed2"_s, u"１２"_s})
            QTest::newRow(qPrintable(text.isEmpty() ? u"(empty)"_s : text)) << text;
    }

    void badTextsFailWithTheMessage() {
        QFETCH(QString, text);
        try {
            ColourText::toColour(text);
            QFAIL("accepted");
        } catch (const QuorvaneError& e) {
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
};

QTEST_GUILESS_MAIN(TestColourText)
#include "tst_colourtext.moc"

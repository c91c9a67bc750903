// libFuzzer target for the record search: the value words (phrases joined by "or"/"and",
// quotes, the null word) and the match of a phrase against a field text, for every match
// type. Any text must end in a yes or a no, never in a crash, a sanitizer report or a hang.
#include "widgets/dbaware/FilterRecordTest.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // First byte: match type and case rule; then the value, a NUL, then the field text.
    if (size == 0)
        return 0;
    const std::uint8_t flags = data[0];
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const qsizetype cut = rest.indexOf('\0');
    const QString value = QString::fromUtf8(cut < 0 ? rest : rest.left(cut));
    const QString fieldText = cut < 0 ? QString() : QString::fromUtf8(rest.mid(cut + 1));

    const TFieldOperators operators;
    FilterRecordTest::tokenize(value);
    const FilterRecordTest::Phrases phrases = FilterRecordTest::splitPhrases(value, operators);
    if (phrases.phrases.isEmpty())
        std::abort(); // even blanks alone are one phrase, as typed

    static constexpr quint8 kTypes[] = {TFilterFieldInfo::mtStart, TFilterFieldInfo::mtAny,
                                        TFilterFieldInfo::mtExact, TFilterFieldInfo::mtRange};
    TFilterFieldInfo info;
    info.fieldName = (flags & 0x40) ? QStringLiteral("解释") : QStringLiteral("成语");
    info.matchType = kTypes[flags % 4];
    info.value = value;
    // A range takes its ends from the two halves of the value.
    info.minValue = value.left(value.size() / 2);
    info.maxValue = value.mid(value.size() / 2);
    info.caseSensitive = (flags & 0x10) != 0;
    info.nonMatching = (flags & 0x20) != 0;
    const std::vector<FilterRecordTest::Compiled> compiled =
        FilterRecordTest::compile(TFilterFieldInfos{info}, operators);
    for (const FilterRecordTest::Compiled& criterion : compiled)
        FilterRecordTest::accepts(criterion, fieldText, 256);
    FilterRecordTest::memoText(fieldText, int(flags));
    return 0;
}

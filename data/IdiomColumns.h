#pragma once

#include "data/RecordRules.h"

#include <QString>

#include <array>

namespace quorvane {

// The nine columns of table cy, in their stored order.
enum class Column {
    Code,
    Idiom,
    Pinyin,
    Explanation,
    Example,
    Synonyms,
    Antonyms,
    Source,
    Allusion
};

inline constexpr int kColumnCount = 9;

// "代码", "成语", ...
QString columnName(Column column);

// Size of the column in characters, 0 for long text.
int columnWidth(Column column);

// One section of an entry: its column and its heading "【拼音】".
struct Section {
    Column column;
    QString heading;
};

// The seven entry sections in the order the screen, the export and the print job use.
const std::array<Section, 7>& sectionTable();

// The rules of table cy for the cursors over it: the sizes above (long text holds 65,535
// characters, as a memo field did) and messages that speak of idioms.
RecordRules idiomRecordRules();

} // namespace quorvane

#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quorvane::JsonRecords {

// The members of a record of the public data set that the import reads.
enum Member { Word, Pinyin, Abbreviation, Explanation, Example, Derivation, MemberCount };

// One record: a member that is absent or null has no value.
using Record = std::array<std::optional<QString>, MemberCount>;

// Reads the shape the public data set has, fast: an array of flat objects whose members are
// strings or null, valid UTF-8, valid escapes, and the members above at most once each.
// Anything else gives no result, so that the general parser can say what is wrong.
std::optional<std::vector<Record>> readPlain(QByteArrayView json);

} // namespace quorvane::JsonRecords

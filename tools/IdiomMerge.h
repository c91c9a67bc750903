#pragma once

#include "data/IdiomDatabase.h"
#include "data/IdiomEntry.h"
#include "platform/QuorvaneError.h"

#include <QString>

#include <vector>

namespace quorvane::IdiomMerge {

enum class Mode {
    AddMissing, // every row already there stays as it is; an idiom counts as present by 成语
    Replace     // the dictionary becomes the new rows
};

struct Outcome {
    qsizetype added = 0; // rows written
    qsizetype kept = 0;  // records left out because their idiom was there already
};

// Thrown out of a progress callback to stop an import; nothing is written then.
class Cancelled : public QuorvaneError {
public:
    Cancelled() : QuorvaneError(QStringLiteral("导入已取消，词典没有改动")) {}
};

// Writes `entries` into the dictionary at `target`. The new dictionary is built beside the
// target (for AddMissing, from a copy of it, in one transaction) and renamed over it only
// when complete, so a failure, a cancel or a kill at any moment leaves the target as it was.
// A target that does not exist counts as an empty dictionary. Throws QuorvaneError.
Outcome apply(const std::vector<IdiomEntry>& entries, const QString& target, Mode mode,
              const IdiomDatabase::Progress& progress = {});

} // namespace quorvane::IdiomMerge

#include "data/IdiomEntry.h"

#include "data/AdoDataSet.h"

namespace quorvane {

IdiomEntry IdiomEntry::fromCurrentRow(const AdoDataSet& dataSet) {
    IdiomEntry entry;
    for (int i = 0; i < kColumnCount; ++i)
        entry.columns[static_cast<size_t>(i)] = dataSet.fieldText(columnName(Column(i)));
    return entry;
}

} // namespace quorvane

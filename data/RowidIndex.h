#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

namespace quorvane {

// Finds the row of a rowid in a snapshot's rowids. Rowids are mostly 1 to n: a table by
// rowid finds each row at once; otherwise a sorted list is searched.
class RowidIndex {
public:
    explicit RowidIndex(const std::vector<qint64>& rowids);
    // -1 when no row has it.
    int rowOf(qint64 rowid) const;

private:
    bool m_dense = false;
    std::vector<int> m_rowAt;
    std::vector<std::pair<qint64, int>> m_sorted;
};

} // namespace quorvane

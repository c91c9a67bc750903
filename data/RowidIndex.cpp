#include "data/RowidIndex.h"

#include <algorithm>

namespace quorvane {

RowidIndex::RowidIndex(const std::vector<qint64>& rowids) {
    qint64 largest = 0, smallest = 0;
    for (const qint64 rowid : rowids) {
        largest = std::max(largest, rowid);
        smallest = std::min(smallest, rowid);
    }
    m_dense = smallest >= 0 && largest <= qint64(rowids.size()) * 2 + 64;
    if (m_dense) {
        m_rowAt.assign(size_t(largest) + 1, -1);
        for (size_t row = 0; row < rowids.size(); ++row)
            m_rowAt[size_t(rowids[row])] = int(row);
        return;
    }
    m_sorted.reserve(rowids.size());
    for (size_t row = 0; row < rowids.size(); ++row)
        m_sorted.emplace_back(rowids[row], int(row));
    std::sort(m_sorted.begin(), m_sorted.end());
}

int RowidIndex::rowOf(qint64 rowid) const {
    if (m_dense)
        return rowid >= 0 && rowid < qint64(m_rowAt.size()) ? m_rowAt[size_t(rowid)] : -1;
    const auto found = std::lower_bound(m_sorted.begin(), m_sorted.end(), std::pair{rowid, -1});
    return found != m_sorted.end() && found->first == rowid ? found->second : -1;
}

} // namespace quorvane

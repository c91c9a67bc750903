#include "data/LocateIndex.h"

#include <algorithm>

namespace quorvane {

void LocateIndex::build(int field, int rows, const std::function<QStringView(int row)>& text) {
    m_entries.clear();
    m_entries.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row)
        m_entries.emplace_back(text(row).toString().toCaseFolded(), row);
    std::sort(m_entries.begin(), m_entries.end());
    m_runMinimum.assign(1, {});
    m_runMinimum[0].reserve(m_entries.size());
    for (const auto& entry : m_entries)
        m_runMinimum[0].push_back(entry.second);
    for (size_t width = 2; width <= m_entries.size(); width *= 2) {
        const std::vector<int>& half = m_runMinimum.back();
        std::vector<int> level(m_entries.size() - width + 1);
        for (size_t i = 0; i < level.size(); ++i)
            level[i] = std::min(half[i], half[i + width / 2]);
        m_runMinimum.push_back(std::move(level));
    }
    m_field = field;
}

void LocateIndex::clear() {
    m_field = -1;
    m_entries.clear();
    m_runMinimum.clear();
}

int LocateIndex::earliestRow(size_t from, size_t to) const {
    size_t level = 0;
    while ((size_t(2) << level) <= to - from)
        ++level;
    return std::min(m_runMinimum[level][from], m_runMinimum[level][to - (size_t(1) << level)]);
}

int LocateIndex::find(const QString& value, bool partialKey) const {
    // Matching texts form one run of the sorted index; the earliest row wins.
    const QString key = value.toCaseFolded();
    const auto begin =
        std::lower_bound(m_entries.begin(), m_entries.end(), std::pair<QString, int>(key, -1));
    if (partialKey) {
        const auto end = std::partition_point(
            begin, m_entries.end(),
            [&key](const std::pair<QString, int>& entry) { return entry.first.startsWith(key); });
        return begin != end
                   ? earliestRow(size_t(begin - m_entries.begin()), size_t(end - m_entries.begin()))
                   : -1;
    }
    if (begin != m_entries.end() && begin->first == key)
        return begin->second; // equal texts are sorted by row
    return -1;
}

} // namespace quorvane

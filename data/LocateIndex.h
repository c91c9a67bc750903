#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <utility>
#include <vector>

namespace quorvane {

// Finds the first row, in cursor order, whose text in one field matches a value ignoring
// case. Sorted (case-folded text, row) pairs and the smallest row of every power-of-two run
// of them: a prefix is one run of the index, so its first row comes in two lookups instead
// of a scan.
class LocateIndex {
public:
    // The field it was built for, -1 when there is none.
    int field() const { return m_field; }
    void build(int field, int rows, const std::function<QStringView(int row)>& text);
    void clear();
    // The earliest row whose text equals `value` or, with `partialKey`, starts with it;
    // -1 when none does.
    int find(const QString& value, bool partialKey) const;

private:
    int earliestRow(size_t from, size_t to) const;

    int m_field = -1;
    std::vector<std::pair<QString, int>> m_entries;
    std::vector<std::vector<int>> m_runMinimum;
};

} // namespace quorvane

#include "favourites/IdiomLocator.h"

#include "data/AdoDataSet.h"
#include "data/PinyinCollation.h"

namespace quorvane {

IdiomLocator::IdiomLocator(const AdoDataSet* dataSet, QObject* parent)
    : QObject(parent), m_dataSet(dataSet) {
    if (dataSet)
        connect(dataSet, &AdoDataSet::dataSetChanged, this, [this] {
            m_rowsOf.clear();
            m_hashed = false;
        });
}

IdiomKey IdiomLocator::keyOf(const IdiomEntry& entry) {
    return {entry.text(Column::Idiom), entry.text(Column::Pinyin)};
}

bool IdiomLocator::matches(int row, const IdiomKey& key) const {
    const int pinyin = m_dataSet->fieldIndex(columnName(Column::Pinyin));
    return m_dataSet->cellText(row, pinyin) == key.pinyin;
}

// The cursor is ordered by idiom with the pinyin collation: a binary search finds the run
// of rows with this idiom, whose readings then tell them apart.
int IdiomLocator::searchInOrder(const IdiomKey& key) const {
    const int field = m_dataSet->fieldIndex(columnName(Column::Idiom));
    int low = 0;
    int high = m_dataSet->recordCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (PinyinCollation::compare(m_dataSet->cellView(middle, field), key.idiom) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    for (int row = low;
         row < m_dataSet->recordCount() && m_dataSet->cellView(row, field) == key.idiom; ++row)
        if (matches(row, key))
            return row;
    return -1;
}

int IdiomLocator::findRow(const IdiomKey& key) const {
    if (!m_dataSet || !m_dataSet->active() || key.isEmpty())
        return -1;
    if (const int row = searchInOrder(key); row >= 0)
        return row;
    if (!m_hashed) {
        const int field = m_dataSet->fieldIndex(columnName(Column::Idiom));
        m_rowsOf.reserve(m_dataSet->recordCount());
        for (int row = 0; row < m_dataSet->recordCount(); ++row)
            m_rowsOf.insert(m_dataSet->cellText(row, field), row);
        m_hashed = true;
    }
    int found = -1;
    for (auto it = m_rowsOf.constFind(key.idiom);
         it != m_rowsOf.constEnd() && it.key() == key.idiom; ++it)
        if (matches(*it, key) && (found < 0 || *it < found))
            found = *it;
    return found;
}

IdiomEntry IdiomLocator::entryAt(int row) const {
    IdiomEntry entry;
    for (int i = 0; i < kColumnCount; ++i)
        entry.columns[size_t(i)] =
            m_dataSet->cellText(row, m_dataSet->fieldIndex(columnName(Column(i))));
    return entry;
}

} // namespace quorvane

#pragma once

#include "data/IdiomEntry.h"
#include "favourites/IdiomKey.h"

#include <QMultiHash>
#include <QObject>
#include <QPointer>

namespace quorvane {

class AdoDataSet;

// Finds a remembered idiom among the rows of the lookup cursor, by text and reading.
class IdiomLocator : public QObject {
    Q_OBJECT
public:
    explicit IdiomLocator(const AdoDataSet* dataSet, QObject* parent = nullptr);

    static IdiomKey keyOf(const IdiomEntry& entry);

    // The row holding the idiom, -1 when the dictionary no longer has it.
    int findRow(const IdiomKey& key) const;
    // Every column of a row, without moving the cursor.
    IdiomEntry entryAt(int row) const;

private:
    int searchInOrder(const IdiomKey& key) const;
    bool matches(int row, const IdiomKey& key) const;

    QPointer<const AdoDataSet> m_dataSet;
    // Rows by idiom, built when the order gives no answer (a file sorted by another
    // collator version, or a row added since the snapshot was read).
    mutable QMultiHash<QString, int> m_rowsOf;
    mutable bool m_hashed = false;
};

} // namespace quorvane

#pragma once

#include "favourites/FavouritesStore.h"

#include <QAbstractTableModel>
#include <QHash>

namespace quorvane {

class IdiomLocator;

// One list of the store as a table: idiom, reading, date. Idioms the dictionary no longer
// has are greyed. Rows are drawn when seen, so a long list costs nothing until scrolled.
class RememberedListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum ColumnIndex { IdiomColumn, PinyinColumn, DateColumn, ColumnCount };
    // True for a row whose idiom the dictionary no longer has.
    static constexpr int MissingRole = Qt::UserRole + 1;

    RememberedListModel(FavouritesStore* store, ListKind kind, const IdiomLocator* locator,
                        QObject* parent = nullptr);

    ListKind kind() const { return m_kind; }
    const RememberedIdiom& item(int row) const { return m_store->list(m_kind).at(row); }
    // Whether the dictionary has the idiom (asked once, until the dictionary is re-read).
    bool present(const IdiomKey& key) const;
    // The dictionary was re-read.
    void dictionaryChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void listChanged(ListKind kind);

    FavouritesStore* m_store;
    ListKind m_kind;
    const IdiomLocator* m_locator;
    mutable QHash<IdiomKey, bool> m_present;
};

} // namespace quorvane

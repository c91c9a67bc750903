#include "ui/favourites/RememberedListModel.h"

#include "favourites/IdiomLocator.h"

#include <QBrush>
#include <QDateTime>

namespace quorvane {

RememberedListModel::RememberedListModel(FavouritesStore* store, ListKind kind,
                                         const IdiomLocator* locator, QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_kind(kind), m_locator(locator) {
    connect(store, &FavouritesStore::changed, this, &RememberedListModel::listChanged);
}

void RememberedListModel::listChanged(ListKind kind) {
    if (kind != m_kind)
        return;
    beginResetModel();
    endResetModel();
}

void RememberedListModel::dictionaryChanged() {
    m_present.clear();
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

bool RememberedListModel::present(const IdiomKey& key) const {
    const auto known = m_present.constFind(key);
    if (known != m_present.constEnd())
        return *known;
    const bool found = m_locator->findRow(key) >= 0;
    m_present.insert(key, found);
    return found;
}

int RememberedListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_store->list(m_kind).size();
}

int RememberedListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RememberedListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const RememberedIdiom& remembered = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case IdiomColumn:
            return remembered.key.idiom;
        case PinyinColumn:
            return remembered.key.pinyin;
        case DateColumn:
            return QDateTime::fromSecsSinceEpoch(remembered.stamp)
                .toString(m_kind == ListKind::Favourites ? QStringLiteral("yyyy-MM-dd")
                                                         : QStringLiteral("yyyy-MM-dd HH:mm"));
        }
        return {};
    case Qt::ForegroundRole:
        return present(remembered.key) ? QVariant() : QVariant(QBrush(Qt::gray));
    case Qt::ToolTipRole:
        return present(remembered.key) ? QVariant() : QStringLiteral("词典中已没有这条成语");
    case MissingRole:
        return !present(remembered.key);
    default:
        return {};
    }
}

QVariant RememberedListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case IdiomColumn:
        return QStringLiteral("成语");
    case PinyinColumn:
        return QStringLiteral("拼音");
    case DateColumn:
        return m_kind == ListKind::Favourites ? QStringLiteral("收藏日期")
                                              : QStringLiteral("查看时间");
    }
    return {};
}

} // namespace quorvane

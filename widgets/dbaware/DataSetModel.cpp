#include "widgets/dbaware/DataSetModel.h"

#include "data/AdoDataSet.h"
#include "data/DataSource.h"

namespace quorvane {

DataSetModel::DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DataSetModel::setDataSource(DataSource* source) {
    disconnect(m_changed);
    m_source = source;
    if (source)
        m_changed = connect(source, &DataSource::dataSetChanged, this, &DataSetModel::reload);
    reload();
}

void DataSetModel::setFields(const QStringList& fields) {
    m_fields = fields;
    reload();
}

void DataSetModel::reload() {
    beginResetModel();
    m_fieldIndexes.clear();
    const AdoDataSet* set = m_source ? m_source->dataSet() : nullptr;
    for (const QString& field : m_fields)
        m_fieldIndexes << (set && set->active() ? set->fieldIndex(field) : -1);
    endResetModel();
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_source || !m_source->dataSet())
        return 0;
    return m_source->dataSet()->active() ? m_source->dataSet()->recordCount() : 0;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !m_source || !m_source->dataSet())
        return {};
    return m_source->dataSet()->cellText(index.row(), m_fieldIndexes.value(index.column(), -1));
}

QString DataSetModel::fieldText(int row, const QString& field) const {
    const AdoDataSet* set = m_source ? m_source->dataSet() : nullptr;
    if (!set || !set->active())
        return {};
    return set->cellText(row, set->fieldIndex(field));
}

} // namespace quorvane

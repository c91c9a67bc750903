#include "data/DataSource.h"

#include "data/AdoDataSet.h"

namespace quorvane {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

void DataSource::setDataSet(AdoDataSet* dataSet) {
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_dataSet = dataSet;
    if (dataSet) {
        m_connections = {
            connect(dataSet, &AdoDataSet::dataSetChanged, this, &DataSource::dataSetChanged),
            connect(dataSet, &AdoDataSet::currentChanged, this, &DataSource::currentChanged),
            connect(dataSet, &AdoDataSet::stateChanged, this, &DataSource::stateChanged),
            connect(dataSet, &AdoDataSet::fieldChanged, this, &DataSource::fieldChanged)};
    }
    Q_EMIT dataSetChanged();
}

bool DataSource::edit() {
    if (!m_dataSet || !m_dataSet->active())
        return false;
    if (m_autoEdit && m_dataSet->state() == DataSetState::Browse)
        m_dataSet->edit();
    return m_dataSet->state() == DataSetState::Edit || m_dataSet->state() == DataSetState::Insert;
}

} // namespace quorvane

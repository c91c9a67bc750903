#include "data/DataSource.h"

#include "data/AdoDataSet.h"

namespace quorvane {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

void DataSource::setDataSet(AdoDataSet* dataSet) {
    disconnect(m_changed);
    disconnect(m_current);
    m_dataSet = dataSet;
    if (dataSet) {
        m_changed =
            connect(dataSet, &AdoDataSet::dataSetChanged, this, &DataSource::dataSetChanged);
        m_current =
            connect(dataSet, &AdoDataSet::currentChanged, this, &DataSource::currentChanged);
    }
    Q_EMIT dataSetChanged();
}

} // namespace quorvane

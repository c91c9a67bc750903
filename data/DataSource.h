#pragma once

#include <QObject>
#include <QPointer>

namespace quorvane {

class AdoDataSet;

// Binds data-aware controls to a data set (ds_cy, ds_tbcy): controls listen here, not to
// the data set, so the data set behind them can be swapped.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);

    void setDataSet(AdoDataSet* dataSet);
    AdoDataSet* dataSet() const { return m_dataSet; }

Q_SIGNALS:
    void dataSetChanged();
    void currentChanged(int row);

private:
    QPointer<AdoDataSet> m_dataSet;
    QMetaObject::Connection m_changed;
    QMetaObject::Connection m_current;
};

} // namespace quorvane

#pragma once

#include <QObject>
#include <QPointer>

namespace quorvane {

class AdoDataSet;

// Binds data-aware controls to a data set (ds_cy, ds_tbcy): controls listen here, not to
// the data set, so the data set behind them can be swapped.
class DataSource : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AutoEdit READ autoEdit WRITE setAutoEdit)
public:
    explicit DataSource(QObject* parent = nullptr);

    void setDataSet(AdoDataSet* dataSet);
    AdoDataSet* dataSet() const { return m_dataSet; }

    // Typing into a bound control while browsing starts an edit of the current row.
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool on) { m_autoEdit = on; }
    // What a bound control calls before it writes a field: true when the data set is
    // editing or adding a row afterwards.
    bool edit();

Q_SIGNALS:
    void dataSetChanged();
    void currentChanged(int row);
    void stateChanged();
    void fieldChanged(int field);

private:
    QPointer<AdoDataSet> m_dataSet;
    QList<QMetaObject::Connection> m_connections;
    bool m_autoEdit = true;
};

} // namespace quorvane

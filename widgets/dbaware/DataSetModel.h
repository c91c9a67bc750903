#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include "data/DataSource.h"

namespace quorvane {

class DataSource;

// The rows of a data source's data set as a table model, one column per listed field.
// It reads the snapshot directly, so 50,000 rows cost nothing until they are drawn.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(QObject* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    void setFields(const QStringList& fields);
    QStringList fields() const { return m_fields; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The text of any field of a row, shown or not.
    QString fieldText(int row, const QString& field) const;

private:
    void reload();

    QPointer<DataSource> m_source;
    QStringList m_fields;
    QList<int> m_fieldIndexes;
    QMetaObject::Connection m_changed;
};

} // namespace quorvane

#pragma once

#include "data/AdoDataSet.h"
#include "data/DataSource.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace quorvane {

// Ties one control to one field of a data source's current row: it tells the control when
// to show the field again, and writes what the user typed into the row, starting an edit
// first when the data source edits automatically.
class FieldDataLink : public QObject {
    Q_OBJECT
public:
    // `reload` is called whenever the field's value may have changed under the control.
    FieldDataLink(std::function<void()> reload, QObject* parent);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    void setDataField(const QString& field);
    QString dataField() const { return m_field; }

    // Whether the control has a field to show: an open data set with that field.
    bool active() const;
    // The field's size in characters, 0 when it has none or the link is not active.
    int fieldSize() const;
    // The field's value in the current (or pending) row, "" when not active.
    QString text() const;
    // Writes typed text into the row; false when the row cannot take it (not active, not
    // editing and no automatic edit, or a refused edit, whose error box has been shown).
    bool write(const QString& text);

private:
    void changed();

    std::function<void()> m_reload;
    QPointer<DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
    QString m_field;
    bool m_writing = false;
};

} // namespace quorvane

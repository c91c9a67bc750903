#pragma once

#include <QPlainTextEdit>

namespace quorvane {

class DataSource;
class FieldDataLink;

// A data-aware memo (DBMemo): a field's long text, wrapped, with a vertical scroll bar;
// Tab moves on to the next control.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
public:
    explicit TDBMemo(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const;
    QString dataField() const;
    void setDataField(const QString& field);

private:
    void reload();
    void typed();

    FieldDataLink* m_link;
    bool m_loading = false;
};

} // namespace quorvane

#pragma once

#include <QLineEdit>

namespace quorvane {

class DataSource;
class FieldDataLink;

// A data-aware single-line edit (DBEdit): shows its field of the current row, and what the
// user types goes into that row.
class TDBEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
public:
    explicit TDBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const;
    QString dataField() const;
    void setDataField(const QString& field);

private:
    void reload();
    void typed(const QString& text);

    FieldDataLink* m_link;
};

} // namespace quorvane

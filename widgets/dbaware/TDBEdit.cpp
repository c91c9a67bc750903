#include "widgets/dbaware/TDBEdit.h"

#include "widgets/dbaware/FieldDataLink.h"

namespace quorvane {

TDBEdit::TDBEdit(QWidget* parent)
    : QLineEdit(parent), m_link(new FieldDataLink([this] { reload(); }, this)) {
    connect(this, &QLineEdit::textEdited, this, &TDBEdit::typed);
    reload();
}

void TDBEdit::setDataSource(DataSource* source) {
    m_link->setDataSource(source);
}

DataSource* TDBEdit::dataSource() const {
    return m_link->dataSource();
}

QString TDBEdit::dataField() const {
    return m_link->dataField();
}

void TDBEdit::setDataField(const QString& field) {
    m_link->setDataField(field);
}

void TDBEdit::reload() {
    setReadOnly(!m_link->active());
    const QString text = m_link->text();
    if (text != this->text())
        setText(text);
}

void TDBEdit::typed(const QString& text) {
    if (!m_link->write(text))
        reload(); // the row did not take it: show what it holds
}

} // namespace quorvane

#include "widgets/dbaware/TDBEdit.h"

#include "widgets/dbaware/FieldDataLink.h"

#include <algorithm>

namespace quorvane {
namespace {
constexpr int kUnlimited = 32767; // QLineEdit's own default
} // namespace

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
    // A paste far beyond the field's size would be laid out on every key and paint before
    // the save refused it; twice the size leaves room for characters of two UTF-16 units
    // and still lets the save say what is too long.
    const int size = m_link->fieldSize();
    setMaxLength(size > 0 ? std::max(2 * size, int(text.size())) : kUnlimited);
    if (text != this->text())
        setText(text);
}

void TDBEdit::typed(const QString& text) {
    // Not taken, or taken without something the row refuses (a NUL): show what it holds.
    if (!m_link->write(text) || text.contains(QChar(u'\0')))
        reload();
}

} // namespace quorvane

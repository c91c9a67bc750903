#include "widgets/dbaware/TDBMemo.h"

#include "widgets/dbaware/FieldDataLink.h"

namespace quorvane {

TDBMemo::TDBMemo(QWidget* parent)
    : QPlainTextEdit(parent), m_link(new FieldDataLink([this] { reload(); }, this)) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &TDBMemo::typed);
    reload();
}

void TDBMemo::setDataSource(DataSource* source) {
    m_link->setDataSource(source);
}

DataSource* TDBMemo::dataSource() const {
    return m_link->dataSource();
}

QString TDBMemo::dataField() const {
    return m_link->dataField();
}

void TDBMemo::setDataField(const QString& field) {
    m_link->setDataField(field);
}

void TDBMemo::reload() {
    setReadOnly(!m_link->active());
    const QString text = m_link->text();
    if (text == toPlainText())
        return;
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

void TDBMemo::typed() {
    if (m_loading)
        return;
    if (!m_link->write(toPlainText()))
        reload();
}

} // namespace quorvane

#include "widgets/dbaware/FieldDataLink.h"

#include "data/AdoDataSet.h"
#include "data/DataSource.h"
#include "platform/HandlerGuard.h"

namespace quorvane {

FieldDataLink::FieldDataLink(std::function<void()> reload, QObject* parent)
    : QObject(parent), m_reload(std::move(reload)) {}

void FieldDataLink::setDataSource(DataSource* source) {
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections = {
            connect(source, &DataSource::dataSetChanged, this, &FieldDataLink::changed),
            connect(source, &DataSource::currentChanged, this, &FieldDataLink::changed),
            connect(source, &DataSource::stateChanged, this, &FieldDataLink::changed),
            connect(source, &DataSource::fieldChanged, this, &FieldDataLink::changed)};
    }
    changed();
}

void FieldDataLink::setDataField(const QString& field) {
    m_field = field;
    changed();
}

bool FieldDataLink::active() const {
    const AdoDataSet* set = m_source ? m_source->dataSet() : nullptr;
    return set && set->active() && set->fieldIndex(m_field) >= 0;
}

int FieldDataLink::fieldSize() const {
    return active() ? m_source->dataSet()->fieldSize(m_source->dataSet()->fieldIndex(m_field)) : 0;
}

QString FieldDataLink::text() const {
    return active() ? m_source->dataSet()->fieldText(m_field) : QString();
}

bool FieldDataLink::write(const QString& text) {
    if (!active())
        return false;
    // The control already shows the text: the edit starting and the field changing must
    // not load the stored value back into it.
    m_writing = true;
    bool written = false;
    runGuarded([&] {
        if (m_source->edit()) {
            m_source->dataSet()->setFieldText(m_field, text);
            written = true;
        }
    });
    m_writing = false;
    return written;
}

void FieldDataLink::changed() {
    if (!m_writing && m_reload)
        m_reload();
}

} // namespace quorvane

#include "data/AdoDataSet.h"

#include "data/AdoConnection.h"
#include "platform/QuorvaneError.h"

#include <QScopeGuard>

#include <algorithm>

namespace quorvane {

namespace {
// Runs the statement with the rowid in front: rows need an identity the program never shows.
QString withRowid(const QString& select) {
    const QString trimmed = select.trimmed();
    const QString head = QStringLiteral("select ");
    if (!trimmed.startsWith(head, Qt::CaseInsensitive))
        throw QuorvaneError(QStringLiteral("不支持的查询语句：%1").arg(select));
    return QStringLiteral("select rowid, ") + trimmed.mid(head.size());
}

// The rules of a cursor without a connection.
const RecordRules& plainRules() {
    static const RecordRules rules;
    return rules;
}
} // namespace

AdoDataSet::AdoDataSet(QObject* parent) : QObject(parent) {
    connect(&m_store, &CellStore::readFailed, this, &AdoDataSet::fetchFailed);
}

AdoDataSet::~AdoDataSet() {
    if (m_connection)
        m_connection->detach(this);
}

const RecordRules& AdoDataSet::recordRules() const {
    return m_connection ? m_connection->recordRules() : plainRules();
}

void AdoDataSet::setConnection(AdoConnection* connection) {
    if (m_connection)
        m_connection->detach(this);
    m_connection = connection;
    if (m_connection)
        m_connection->attach(this);
}

void AdoDataSet::open() {
    if (m_active)
        return;
    if (!m_connection || !m_connection->connected())
        throw QuorvaneError(QStringLiteral("数据库连接没有打开"));
    const std::optional<TableOrder> order = tableOrder();
    if (!order || !m_store.readInSteps(m_connection, *order))
        m_store.readAtOnce(m_connection, withRowid(selectText()));
    m_locate.clear();
    ++m_generation;
    m_active = true;
    m_state = DataSetState::Browse;
    m_current = acceptedFrom(0, 1);
    m_bof = true;
    m_eof = m_current < 0;
    Q_EMIT dataSetChanged();
    Q_EMIT currentChanged(m_current);
}

void AdoDataSet::close() {
    if (!m_active)
        return;
    // Whatever is still pending is dropped.
    m_store.clear();
    m_active = false;
    m_state = DataSetState::Inactive;
    m_edit.clear();
    m_current = -1;
    m_bof = m_eof = true;
    m_locate.clear();
    Q_EMIT stateChanged();
    Q_EMIT dataSetChanged();
}

void AdoDataSet::ensureActive() const {
    if (!m_active)
        throw QuorvaneError(QStringLiteral("无法在关闭的数据集上执行此操作"));
}

void AdoDataSet::setCurrent(int row, bool bof, bool eof) {
    const bool moved = row != m_current;
    m_current = row;
    m_bof = bof;
    m_eof = eof;
    if (moved)
        Q_EMIT currentChanged(m_current);
}

void AdoDataSet::first() {
    ensureActive();
    checkBrowseMode();
    const int row = acceptedFrom(0, 1);
    setCurrent(row, true, row < 0);
}

void AdoDataSet::last() {
    ensureActive();
    checkBrowseMode();
    const int row = acceptedFrom(recordCount() - 1, -1);
    setCurrent(row, row < 0, true);
}

void AdoDataSet::next() {
    ensureActive();
    checkBrowseMode();
    const int row = m_current < 0 ? -1 : acceptedFrom(m_current + 1, 1);
    if (row >= 0)
        setCurrent(row, false, false);
    else
        setCurrent(m_current, m_current < 0, true);
}

void AdoDataSet::prior() {
    ensureActive();
    checkBrowseMode();
    const int row = m_current < 0 ? -1 : acceptedFrom(m_current - 1, -1);
    if (row >= 0)
        setCurrent(row, false, false);
    else
        setCurrent(m_current, true, m_current < 0);
}

void AdoDataSet::setOnFilterRecord(FilterRecordHandler handler) {
    m_onFilterRecord = std::move(handler);
}

void AdoDataSet::setFiltered(bool filtered) {
    if (m_active)
        checkBrowseMode();
    m_filtered = filtered;
    if (m_active)
        first();
}

bool AdoDataSet::accepts(int row) {
    if (row < 0 || row >= recordCount())
        return false;
    if (!m_filtered || !m_onFilterRecord)
        return true;
    fetchAll(); // the filter may read any field of every row
    // The handler reads the candidate through fieldText(): make it current quietly.
    const int saved = m_current;
    const bool wasInFilter = m_inFilter;
    const auto restore = qScopeGuard([&] {
        m_current = saved;
        m_inFilter = wasInFilter;
    });
    m_current = row;
    m_inFilter = true; // the candidate's stored values, not a pending row's
    return m_onFilterRecord(*this);
}

int AdoDataSet::acceptedFrom(int row, int direction) {
    for (; row >= 0 && row < recordCount(); row += direction)
        if (accepts(row))
            return row;
    return -1;
}

void AdoDataSet::moveTo(int row) {
    ensureActive();
    if (row < 0 || row >= recordCount())
        return;
    if (row == m_current && m_state == DataSetState::Edit)
        return; // staying on the row being edited does not leave it
    checkBrowseMode();
    setCurrent(row, false, false);
}

int AdoDataSet::fieldIndex(const QString& name) const {
    const QStringList& names = m_store.fieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString AdoDataSet::fieldText(const QString& name) const {
    ensureActive();
    const int field = fieldIndex(name);
    if (field < 0)
        throw QuorvaneError(QStringLiteral("找不到字段“%1”").arg(name));
    if (!m_inFilter && (m_state == DataSetState::Edit || m_state == DataSetState::Insert))
        return m_edit.value(field);
    if (m_current < 0)
        return {};
    return cellText(m_current, field);
}

QStringView AdoDataSet::cellView(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= m_store.fieldNames().size())
        return {};
    return m_store.view(row, field);
}

QString AdoDataSet::cellText(int row, int field) const {
    return cellView(row, field).toString();
}

QStringList AdoDataSet::rowValues(int row) const {
    QStringList values;
    for (int field = 0; field < m_store.fieldNames().size(); ++field)
        values << cellText(row, field);
    return values;
}

Bookmark AdoDataSet::bookmark() const {
    if (!m_active || m_current < 0 || m_state == DataSetState::Insert)
        return {};
    return {m_generation, m_current, m_store.rowid(m_current), rowValues(m_current)};
}

void AdoDataSet::gotoBookmark(const Bookmark& bookmark) {
    if (bookmark.isNull())
        return;
    ensureActive();
    if (bookmark.generation == m_generation) {
        moveTo(bookmark.row);
        return;
    }
    // Taken before the set was re-read: find the same row again, if it still exists and
    // still holds what it held (its rowid may have gone to a newer row).
    const std::vector<qint64>& rowids = m_store.rowids();
    const auto found = std::find(rowids.begin(), rowids.end(), bookmark.rowid);
    if (found == rowids.end())
        return;
    const int row = int(found - rowids.begin());
    if (rowValues(row) == bookmark.values)
        moveTo(row);
}

bool AdoDataSet::locate(const QString& field, const QString& value, LocateOptions options) {
    ensureActive();
    const int index = fieldIndex(field);
    if (index < 0)
        throw QuorvaneError(QStringLiteral("找不到字段“%1”").arg(field));
    // The field's text of every row is wanted: a kept field's comes with the preload.
    const auto readField = [this, index] {
        if (m_store.kept(index))
            finishPreload();
        else
            fetchAll();
    };
    int found = -1;
    if (options.caseInsensitive) {
        if (m_locate.field() != index) {
            readField();
            m_locate.build(index, recordCount(),
                           [this, index](int row) { return cellView(row, index); });
        }
        found = m_locate.find(value, options.partialKey);
    } else {
        readField();
        for (int row = 0; row < recordCount() && found < 0; ++row) {
            const QStringView text = cellView(row, index);
            if (options.partialKey ? text.startsWith(value) : text == value)
                found = row;
        }
    }
    if (found < 0)
        return false;
    moveTo(found);
    return true;
}

DataSetState AdoDataSet::state() const {
    return m_active ? m_state : DataSetState::Inactive;
}

void AdoDataSet::setState(DataSetState state) {
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

void AdoDataSet::startEdit(DataSetState state) {
    if (writeTable().isEmpty())
        throw QuorvaneError(QStringLiteral("数据集是只读的，不能修改"));
    std::vector<QString> values(size_t(m_store.fieldNames().size()));
    if (state == DataSetState::Edit)
        for (size_t field = 0; field < values.size(); ++field)
            values[field] = cellText(m_current, int(field));
    m_edit.start(std::move(values));
    setState(state);
}

void AdoDataSet::edit() {
    ensureActive();
    if (m_state != DataSetState::Browse)
        return;
    if (m_current < 0)
        append();
    else
        startEdit(DataSetState::Edit);
}

void AdoDataSet::append() {
    ensureActive();
    checkBrowseMode();
    startEdit(DataSetState::Insert);
}

void AdoDataSet::cancel() {
    if (!m_active || m_state == DataSetState::Browse)
        return;
    m_edit.clear();
    setState(DataSetState::Browse);
}

void AdoDataSet::checkBrowseMode() {
    if (!m_active || m_state == DataSetState::Browse)
        return;
    if (m_edit.modified())
        post();
    else
        cancel();
}

void AdoDataSet::setFieldText(const QString& name, const QString& value) {
    ensureActive();
    const int field = fieldIndex(name);
    if (field < 0)
        throw QuorvaneError(QStringLiteral("找不到字段“%1”").arg(name));
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw QuorvaneError(QStringLiteral("数据集不在编辑或插入状态"));
    // A NUL would end the text for everything that reads it as C text (SQL length(),
    // exports), so it never gets in.
    QString text = value;
    text.remove(QChar(u'\0'));
    m_edit.set(field, std::move(text));
    Q_EMIT fieldChanged(field);
}

int AdoDataSet::fieldSize(int field) const {
    const QStringList& names = m_store.fieldNames();
    return field >= 0 && field < names.size() ? recordRules().fieldSize(names[field]) : 0;
}

void AdoDataSet::post() {
    ensureActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    const RecordRules& rules = recordRules();
    const QStringList names = m_store.fieldNames();
    m_edit.checkSizes(names, rules);
    if (m_state == DataSetState::Edit) {
        m_edit.writeUpdate(m_connection, writeTable(), names, m_store.rowid(m_current), rules);
        for (int field = 0; field < names.size(); ++field)
            if (m_edit.changed(field))
                m_store.store(m_current, field, m_edit.value(field));
    } else {
        m_store.appendRow(m_edit.writeInsert(m_connection, writeTable(), names, rules));
        for (int field = 0; field < names.size(); ++field)
            m_store.store(recordCount() - 1, field, m_edit.value(field));
    }
    m_locate.clear();
    const bool inserted = m_state == DataSetState::Insert;
    m_edit.clear();
    setState(DataSetState::Browse);
    if (inserted) {
        Q_EMIT dataSetChanged();
        setCurrent(recordCount() - 1, false, false);
    } else {
        Q_EMIT currentChanged(m_current);
    }
}

void AdoDataSet::deleteRecord() {
    ensureActive();
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel(); // an edit in progress goes with its row
    if (m_current < 0)
        return;
    if (writeTable().isEmpty())
        throw QuorvaneError(QStringLiteral("数据集是只读的，不能删除"));
    EditBuffer::writeDelete(m_connection, writeTable(), m_store.rowid(m_current), recordRules());
    const int row = m_current;
    m_store.removeRow(row);
    m_locate.clear();
    ++m_generation; // rows behind it moved up: bookmarks go by rowid now
    // The row that took its place, or the one before it at the end.
    int current = acceptedFrom(row, 1);
    if (current < 0)
        current = acceptedFrom(row - 1, -1);
    m_current = -1;
    Q_EMIT dataSetChanged();
    setCurrent(current, current < 0, current < 0);
    if (current < 0)
        Q_EMIT currentChanged(-1);
}

} // namespace quorvane

#include "data/AdoDataSet.h"

#include "data/AdoConnection.h"
#include "data/IdiomColumns.h"
#include "platform/QuorvaneError.h"

#include <QScopeGuard>

#include <sqlite3.h>

#include <algorithm>

namespace quorvane {

// The file stores the text as UTF-16 too. Reserved, not touched, so the memory a smaller
// snapshot leaves unused is never resident, and filling in the rest never moves the text.
size_t AdoDataSet::textCapacity(sqlite3* db) {
    qint64 pages = 0, pageSize = 0;
    for (auto [pragma, value] :
         {std::pair{"pragma page_count", &pages}, std::pair{"pragma page_size", &pageSize}}) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            *value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    }
    return size_t(std::max<qint64>(pages * pageSize / 2, 0));
}

namespace {
// Runs the statement with the rowid in front: rows need an identity the program never shows.
QByteArray withRowid(const QString& select) {
    const QString trimmed = select.trimmed();
    const QString head = QStringLiteral("select ");
    if (!trimmed.startsWith(head, Qt::CaseInsensitive))
        throw QuorvaneError(QStringLiteral("不支持的查询语句：%1").arg(select));
    return (QStringLiteral("select rowid, ") + trimmed.mid(head.size())).toUtf8();
}

QString quoted(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Characters, not UTF-16 units: a rare character outside the basic plane counts once.
qsizetype characterCount(const QString& text) {
    qsizetype count = text.size();
    for (const QChar c : text)
        if (c.isLowSurrogate())
            --count;
    return count;
}

// Long-text columns hold up to 65,535 characters, as a memo field did.
constexpr int kLongTextSize = 65535;
} // namespace

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
    sqlite3* db = m_connection->handle();
    const std::optional<TableOrder> order = tableOrder();
    if (!order || !openInSteps(db, *order))
        openAtOnce(db);
    forgetIndexes();
    ++m_generation;
    m_active = true;
    m_state = DataSetState::Browse;
    m_current = acceptedFrom(0, 1);
    m_bof = true;
    m_eof = m_current < 0;
    Q_EMIT dataSetChanged();
    Q_EMIT currentChanged(m_current);
}

void AdoDataSet::openAtOnce(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = withRowid(selectText());
    checkSqlite(db, sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr),
                QStringLiteral("查询失败"));
    const int columns = sqlite3_column_count(stmt);
    QStringList names;
    for (int i = 1; i < columns; ++i)
        names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    // All text in one buffer: a string per cell would cost an allocation and some 50 bytes
    // each, for 450,000 cells at 50,000 rows.
    std::vector<char16_t> text;
    text.reserve(textCapacity(db));
    std::vector<Cell> cells;
    std::vector<qint64> rowids;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(stmt, 0));
        for (int i = 1; i < columns; ++i) {
            const auto* value = static_cast<const char16_t*>(sqlite3_column_text16(stmt, i));
            const size_t length = size_t(sqlite3_column_bytes16(stmt, i)) / 2;
            cells.push_back({quint32(text.size()), quint32(length)});
            if (value)
                text.insert(text.end(), value, value + length);
        }
    }
    sqlite3_finalize(stmt);
    checkSqlite(db, rc, QStringLiteral("读取成语表失败"));

    m_fieldNames = names;
    m_text = std::move(text);
    m_slots = std::move(cells);
    m_slotOfRow.resize(rowids.size());
    for (size_t row = 0; row < rowids.size(); ++row)
        m_slotOfRow[row] = quint32(row);
    m_residentIndex.assign(size_t(names.size()), -1);
    m_residentCount = 0;
    m_residentCells.clear();
    m_rowids = std::move(rowids);
}

void AdoDataSet::close() {
    if (!m_active)
        return;
    // Whatever is still pending is dropped.
    endFetch();
    m_active = false;
    m_state = DataSetState::Inactive;
    m_buffer.clear();
    m_changedFields.clear();
    m_modified = false;
    m_text = {};
    m_slots = {};
    m_slotOfRow = {};
    m_residentCells = {};
    m_rowids = {};
    m_current = -1;
    m_bof = m_eof = true;
    forgetIndexes();
    Q_EMIT stateChanged();
    Q_EMIT dataSetChanged();
}

void AdoDataSet::forgetIndexes() {
    m_indexField = -1;
    m_locateIndex.clear();
    m_runMinimum.clear();
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
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString AdoDataSet::fieldText(const QString& name) const {
    ensureActive();
    const int field = fieldIndex(name);
    if (field < 0)
        throw QuorvaneError(QStringLiteral("找不到字段“%1”").arg(name));
    if (!m_inFilter && (m_state == DataSetState::Edit || m_state == DataSetState::Insert))
        return m_buffer[size_t(field)];
    if (m_current < 0)
        return {};
    return cellText(m_current, field);
}

QStringView AdoDataSet::cellView(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= m_fieldNames.size())
        return {};
    const Cell& cell = cellAt(row, field);
    return QStringView(m_text.data() + cell.offset, qsizetype(cell.length));
}

QString AdoDataSet::cellText(int row, int field) const {
    return cellView(row, field).toString();
}

void AdoDataSet::storeCell(int row, int field, const QString& value) {
    // Stored values never change in place: a view taken before stays what it was.
    cellAt(row, field) =
        appendText(reinterpret_cast<const char16_t*>(value.utf16()), size_t(value.size()));
}

QStringList AdoDataSet::rowValues(int row) const {
    QStringList values;
    for (int field = 0; field < m_fieldNames.size(); ++field)
        values << cellText(row, field);
    return values;
}

Bookmark AdoDataSet::bookmark() const {
    if (!m_active || m_current < 0 || m_state == DataSetState::Insert)
        return {};
    return {m_generation, m_current, m_rowids[size_t(m_current)], rowValues(m_current)};
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
    const auto found = std::find(m_rowids.begin(), m_rowids.end(), bookmark.rowid);
    if (found == m_rowids.end())
        return;
    const int row = int(found - m_rowids.begin());
    if (rowValues(row) == bookmark.values)
        moveTo(row);
}

void AdoDataSet::buildLocateIndex(int field) const {
    if (m_residentIndex[size_t(field)] >= 0)
        finishPreload();
    else
        fetchAll();
    m_locateIndex.clear();
    m_locateIndex.reserve(size_t(recordCount()));
    for (int row = 0; row < recordCount(); ++row)
        m_locateIndex.emplace_back(cellView(row, field).toString().toCaseFolded(), row);
    std::sort(m_locateIndex.begin(), m_locateIndex.end());
    m_runMinimum.assign(1, {});
    m_runMinimum[0].reserve(m_locateIndex.size());
    for (const auto& entry : m_locateIndex)
        m_runMinimum[0].push_back(entry.second);
    for (size_t width = 2; width <= m_locateIndex.size(); width *= 2) {
        const std::vector<int>& half = m_runMinimum.back();
        std::vector<int> level(m_locateIndex.size() - width + 1);
        for (size_t i = 0; i < level.size(); ++i)
            level[i] = std::min(half[i], half[i + width / 2]);
        m_runMinimum.push_back(std::move(level));
    }
    m_indexField = field;
}

int AdoDataSet::earliestRow(size_t from, size_t to) const {
    size_t level = 0;
    while ((size_t(2) << level) <= to - from)
        ++level;
    return std::min(m_runMinimum[level][from], m_runMinimum[level][to - (size_t(1) << level)]);
}

bool AdoDataSet::locate(const QString& field, const QString& value, LocateOptions options) {
    ensureActive();
    const int index = fieldIndex(field);
    if (index < 0)
        throw QuorvaneError(QStringLiteral("找不到字段“%1”").arg(field));
    int found = -1;
    if (options.caseInsensitive) {
        if (m_indexField != index)
            buildLocateIndex(index);
        // Matching texts form one run of the sorted index; the earliest row wins.
        const QString key = value.toCaseFolded();
        const auto begin = std::lower_bound(m_locateIndex.begin(), m_locateIndex.end(),
                                            std::pair<QString, int>(key, -1));
        if (options.partialKey) {
            const auto end = std::partition_point(begin, m_locateIndex.end(),
                                                  [&key](const std::pair<QString, int>& entry) {
                                                      return entry.first.startsWith(key);
                                                  });
            if (begin != end)
                found = earliestRow(size_t(begin - m_locateIndex.begin()),
                                    size_t(end - m_locateIndex.begin()));
        } else if (begin != m_locateIndex.end() && begin->first == key) {
            found = begin->second; // equal texts are sorted by row
        }
    } else {
        if (m_residentIndex[size_t(index)] >= 0)
            finishPreload();
        else
            fetchAll();
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
    m_buffer.assign(size_t(m_fieldNames.size()), QString());
    if (state == DataSetState::Edit)
        for (int field = 0; field < m_fieldNames.size(); ++field)
            m_buffer[size_t(field)] = cellText(m_current, field);
    m_changedFields.assign(m_buffer.size(), false);
    m_modified = false;
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
    m_buffer.clear();
    m_changedFields.clear();
    m_modified = false;
    setState(DataSetState::Browse);
}

void AdoDataSet::checkBrowseMode() {
    if (!m_active || m_state == DataSetState::Browse)
        return;
    if (m_modified)
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
    m_buffer[size_t(field)] = std::move(text);
    m_changedFields[size_t(field)] = true;
    m_modified = true;
    Q_EMIT fieldChanged(field);
}

int AdoDataSet::fieldSize(int field) const {
    const QString name = m_fieldNames.value(field);
    for (int i = 0; i < kColumnCount; ++i)
        if (columnName(Column(i)) == name)
            return columnWidth(Column(i)) > 0 ? columnWidth(Column(i)) : kLongTextSize;
    return 0;
}

void AdoDataSet::checkSizes() const {
    for (int field = 0; field < m_fieldNames.size(); ++field) {
        const int size = fieldSize(field);
        const qsizetype length = characterCount(m_buffer[size_t(field)]);
        if (size > 0 && length > size)
            throw QuorvaneError(QStringLiteral("“%1”太长：最多 %2 个字符，现在有 %3 个")
                                    .arg(m_fieldNames[field])
                                    .arg(size)
                                    .arg(length));
    }
}

int AdoDataSet::writeInTransaction(const QString& sql, const std::vector<const QString*>& texts,
                                   qint64 rowid, const QString& what) {
    if (!m_connection || !m_connection->connected())
        throw QuorvaneError(QStringLiteral("数据库连接没有打开"));
    m_connection->settleReads(rowid); // no snapshot may see this write
    sqlite3* db = m_connection->handle();
    checkSqlite(db, sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr), what);
    sqlite3_stmt* stmt = nullptr;
    // Anything that fails before the commit leaves the table as it was.
    auto rollback = qScopeGuard([&] {
        sqlite3_finalize(stmt);
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
    });
    const QByteArray text = sql.toUtf8();
    checkSqlite(db, sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr),
                what);
    int index = 1;
    for (const QString* value : texts) {
        sqlite3_bind_text16(stmt, index++, value->utf16(), int(value->size() * 2),
                            SQLITE_TRANSIENT);
    }
    if (rowid != 0)
        sqlite3_bind_int64(stmt, index, rowid);
    checkSqlite(db, sqlite3_step(stmt), what);
    sqlite3_finalize(stmt);
    stmt = nullptr;
    const int changed = sqlite3_changes(db);
    checkSqlite(db, sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), what);
    rollback.dismiss();
    return changed;
}

void AdoDataSet::post() {
    ensureActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    checkSizes();
    const QString what = QStringLiteral("无法保存成语");
    const size_t fields = m_buffer.size();
    std::vector<const QString*> texts;
    QStringList columns;
    if (m_state == DataSetState::Edit) {
        // Only what was typed: an untouched NULL stays NULL.
        for (size_t field = 0; field < fields; ++field) {
            if (!m_changedFields[field])
                continue;
            columns << quoted(m_fieldNames[int(field)]) + QStringLiteral(" = ?");
            texts.push_back(&m_buffer[field]);
        }
        if (!columns.isEmpty()) {
            const QString sql = QStringLiteral("update ") + quoted(writeTable()) +
                                QStringLiteral(" set ") + columns.join(QStringLiteral(", ")) +
                                QStringLiteral(" where rowid = ?");
            if (writeInTransaction(sql, texts, m_rowids[size_t(m_current)], what) != 1)
                throw QuorvaneError(what + QStringLiteral("：这条成语已不在表中"));
        }
        for (size_t field = 0; field < fields; ++field)
            if (m_changedFields[field])
                storeCell(m_current, int(field), m_buffer[field]);
    } else {
        QStringList marks;
        for (size_t field = 0; field < fields; ++field) {
            columns << quoted(m_fieldNames[int(field)]);
            marks << QStringLiteral("?");
            texts.push_back(&m_buffer[field]);
        }
        const QString sql = QStringLiteral("insert into ") + quoted(writeTable()) +
                            QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
                            QStringLiteral(") values (") + marks.join(QStringLiteral(", ")) +
                            QStringLiteral(")");
        writeInTransaction(sql, texts, 0, what);
        m_rowids.push_back(sqlite3_last_insert_rowid(m_connection->handle()));
        m_slotOfRow.push_back(quint32(m_slots.size() / fields)); // a fresh row is read
        m_slots.resize(m_slots.size() + fields, Cell{0, 0});
        m_residentCells.resize(m_residentCells.size() + size_t(m_residentCount), Cell{0, 0});
        for (size_t field = 0; field < fields; ++field)
            storeCell(recordCount() - 1, int(field), m_buffer[field]);
    }
    forgetIndexes();
    const bool inserted = m_state == DataSetState::Insert;
    m_buffer.clear();
    m_changedFields.clear();
    m_modified = false;
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
    const QString what = QStringLiteral("无法删除成语");
    const QString sql =
        QStringLiteral("delete from ") + quoted(writeTable()) + QStringLiteral(" where rowid = ?");
    if (writeInTransaction(sql, {}, m_rowids[size_t(m_current)], what) != 1)
        throw QuorvaneError(what + QStringLiteral("：这条成语已不在表中"));
    const int row = m_current;
    m_rowids.erase(m_rowids.begin() + row);
    m_slotOfRow.erase(m_slotOfRow.begin() + row); // its slot stays unused
    const auto resident = m_residentCells.begin() + ptrdiff_t(row) * m_residentCount;
    m_residentCells.erase(resident, resident + m_residentCount);
    forgetIndexes();
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

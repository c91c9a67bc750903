#include "data/AdoDataSet.h"

#include "data/AdoConnection.h"
#include "platform/QuorvaneError.h"

#include <sqlite3.h>

#include <algorithm>

namespace quorvane {
namespace {
const QString& emptyText() {
    static const QString empty;
    return empty;
}

// Runs the statement with the rowid in front: rows need an identity the program never shows.
QByteArray withRowid(const QString& select) {
    const QString trimmed = select.trimmed();
    const QString head = QStringLiteral("select ");
    if (!trimmed.startsWith(head, Qt::CaseInsensitive))
        throw QuorvaneError(QStringLiteral("不支持的查询语句：%1").arg(select));
    return (QStringLiteral("select rowid, ") + trimmed.mid(head.size())).toUtf8();
}
} // namespace

AdoDataSet::AdoDataSet(QObject* parent) : QObject(parent) {}

AdoDataSet::~AdoDataSet() {
    if (m_connection)
        m_connection->detach(this);
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
    sqlite3* db = m_connection->handle();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = withRowid(selectText());
    checkSqlite(db, sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr),
                QStringLiteral("查询失败"));
    const int columns = sqlite3_column_count(stmt);
    QStringList names;
    for (int i = 1; i < columns; ++i)
        names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    std::vector<QString> cells;
    std::vector<qint64> rowids;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        rowids.push_back(sqlite3_column_int64(stmt, 0));
        for (int i = 1; i < columns; ++i) {
            const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, i));
            const int bytes = sqlite3_column_bytes16(stmt, i);
            cells.push_back(text ? QString(reinterpret_cast<const QChar*>(text), bytes / 2)
                                 : QString());
        }
    }
    sqlite3_finalize(stmt);
    checkSqlite(db, rc, QStringLiteral("读取成语表失败"));

    m_fieldNames = names;
    m_cells = std::move(cells);
    m_rowids = std::move(rowids);
    m_indexField = -1;
    m_locateIndex.clear();
    m_runMinimum.clear();
    ++m_generation;
    m_active = true;
    m_current = acceptedFrom(0, 1);
    m_bof = true;
    m_eof = m_current < 0;
    Q_EMIT dataSetChanged();
    Q_EMIT currentChanged(m_current);
}

void AdoDataSet::close() {
    if (!m_active)
        return;
    m_active = false;
    m_cells.clear();
    m_rowids.clear();
    m_current = -1;
    m_bof = m_eof = true;
    m_indexField = -1;
    m_locateIndex.clear();
    m_runMinimum.clear();
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
    const int row = acceptedFrom(0, 1);
    setCurrent(row, true, row < 0);
}

void AdoDataSet::last() {
    ensureActive();
    const int row = acceptedFrom(recordCount() - 1, -1);
    setCurrent(row, row < 0, true);
}

void AdoDataSet::next() {
    ensureActive();
    const int row = m_current < 0 ? -1 : acceptedFrom(m_current + 1, 1);
    if (row >= 0)
        setCurrent(row, false, false);
    else
        setCurrent(m_current, m_current < 0, true);
}

void AdoDataSet::prior() {
    ensureActive();
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
    m_filtered = filtered;
    if (m_active)
        first();
}

bool AdoDataSet::accepts(int row) {
    if (row < 0 || row >= recordCount())
        return false;
    if (!m_filtered || !m_onFilterRecord)
        return true;
    // The handler reads the candidate through fieldText(): make it current quietly.
    const int saved = m_current;
    m_current = row;
    bool accepted = false;
    try {
        accepted = m_onFilterRecord(*this);
    } catch (...) {
        m_current = saved;
        throw;
    }
    m_current = saved;
    return accepted;
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
    if (m_current < 0)
        return {};
    return cellText(m_current, field);
}

const QString& AdoDataSet::cellText(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= m_fieldNames.size())
        return emptyText();
    return m_cells[size_t(row) * size_t(m_fieldNames.size()) + size_t(field)];
}

Bookmark AdoDataSet::bookmark() const {
    if (!m_active || m_current < 0)
        return {};
    return {m_generation, m_current, m_rowids[size_t(m_current)]};
}

void AdoDataSet::gotoBookmark(const Bookmark& bookmark) {
    if (bookmark.isNull())
        return;
    ensureActive();
    if (bookmark.generation == m_generation) {
        moveTo(bookmark.row);
        return;
    }
    // Taken before the set was re-read: find the same row again, if it still exists.
    const auto found = std::find(m_rowids.begin(), m_rowids.end(), bookmark.rowid);
    if (found != m_rowids.end())
        moveTo(int(found - m_rowids.begin()));
}

void AdoDataSet::buildLocateIndex(int field) const {
    m_locateIndex.clear();
    m_locateIndex.reserve(size_t(recordCount()));
    for (int row = 0; row < recordCount(); ++row)
        m_locateIndex.emplace_back(cellText(row, field).toCaseFolded(), row);
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
        for (int row = 0; row < recordCount() && found < 0; ++row) {
            const QString& text = cellText(row, index);
            if (options.partialKey ? text.startsWith(value) : text == value)
                found = row;
        }
    }
    if (found < 0)
        return false;
    moveTo(found);
    return true;
}

} // namespace quorvane

#include "data/AdoQuery.h"

#include "data/AdoConnection.h"
#include "platform/QuorvaneError.h"

#include <sqlite3.h>

#include <QRegularExpression>

namespace quorvane {

std::optional<AdoDataSet::TableOrder> AdoQuery::tableOrder() const {
    // "select * from T order by C": anything else is read as it stands.
    static const QRegularExpression plain(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+(\w+)\s+order\s+by\s+(\w+)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = plain.match(m_sql);
    if (!match.hasMatch())
        return std::nullopt;
    return TableOrder{match.captured(1), match.captured(2), m_preload};
}

void AdoQuery::prepare() {
    if (!connection() || !connection()->connected())
        throw QuorvaneError(QStringLiteral("数据库连接没有打开"));
    sqlite3* db = connection()->handle();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = m_sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    checkSqlite(db, rc, QStringLiteral("查询语句有误"));
}

} // namespace quorvane

#include "data/AdoQuery.h"

#include "data/AdoConnection.h"
#include "data/SqlStatement.h"
#include "platform/QuorvaneError.h"

#include <QRegularExpression>

namespace quorvane {

std::optional<TableOrder> AdoQuery::tableOrder() const {
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
    // Compiling is the check; the statement is not run.
    const SqlStatement check(connection()->handle(), m_sql, QStringLiteral("查询语句有误"));
}

} // namespace quorvane

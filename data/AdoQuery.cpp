#include "data/AdoQuery.h"

#include "data/AdoConnection.h"
#include "platform/QuorvaneError.h"

#include <sqlite3.h>

namespace quorvane {

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

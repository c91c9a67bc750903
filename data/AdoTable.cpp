#include "data/AdoTable.h"

namespace quorvane {

QString AdoTable::selectText() const {
    QString quoted = m_tableName;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("select * from \"") + quoted + QStringLiteral("\" order by rowid");
}

} // namespace quorvane

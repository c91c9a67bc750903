#pragma once

#include <QString>

struct sqlite3;

namespace quorvane::PinyinCollation {

// Name under which the collation is known to SQLite; table cy declares 成语 with it.
QString name();

// Registers the collation on a connection; must precede the first query touching 成语.
void registerOn(sqlite3* db);

// The order itself: zh_CN (pinyin), with a binary tie-break so that distinct texts never
// compare equal and the index order is total.
int compare(QStringView a, QStringView b);

} // namespace quorvane::PinyinCollation

#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::testing {

// Table cy as the database file holds it, read by a connection of its own, in rowid
// order: "rowid|代码|成语|...", NULL as "∅".
QStringList storedRows(const QString& databasePath);

// The engine's verdict on the whole file: "ok" when it is sound.
QString integrityCheck(const QString& databasePath);

} // namespace quorvane::testing

#pragma once

#include "data/IdiomEntry.h"

#include <QString>

#include <functional>
#include <vector>

struct sqlite3;

namespace quorvane::IdiomDatabase {

// Called with (rows done, rows in all) while a database is written.
using Progress = std::function<void(qsizetype done, qsizetype total)>;

// Writes a new encrypted idiom database with the given rows to `path`. The file appears
// complete or not at all: it is built beside the target and renamed over it.
// Throws QuorvaneError.
void create(const QString& path, const std::vector<IdiomEntry>& entries,
            const Progress& progress = {});

// Creates table cy and its pinyin index on an empty, keyed database.
void createSchema(sqlite3* db);

// Appends one row; NULL is never stored, "" stands for an absent section.
void insert(sqlite3* db, const IdiomEntry& entry);

} // namespace quorvane::IdiomDatabase

#pragma once

#include "data/IdiomDatabase.h"
#include "data/IdiomEntry.h"

#include <QString>

#include <vector>

namespace quorvane::IdiomImport {

// The header line a TSV file must start with: the nine column names, tab-separated.
QString tsvHeader();

// Reads a tab-separated file: UTF-8, header line, nine fields a line, escapes \n \t \\.
// Throws QuorvaneError naming the file, the line and the field.
std::vector<IdiomEntry> readTsv(const QString& path);

// Reads the public JSON format (an array of records with word, pinyin, abbreviation, ...).
// Throws QuorvaneError naming the file, the record (1-based) and the field.
std::vector<IdiomEntry> readJson(const QString& path);

// Chooses the reader by extension (.tsv or .json, any case).
std::vector<IdiomEntry> read(const QString& path);

// Reads all of `input`, then replaces `output` with a new idiom database. On any error
// nothing is written and an existing output stays as it was. Returns the number of rows.
qsizetype run(const QString& input, const QString& output,
              const IdiomDatabase::Progress& progress = {});

} // namespace quorvane::IdiomImport

#pragma once

#include "data/IdiomDatabase.h"
#include "data/IdiomEntry.h"
#include "tools/IdiomCheck.h"

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

enum class Format { Tsv, Json };

// By extension: .tsv or .json, in any case. Throws QuorvaneError for any other.
Format formatOf(const QString& path);
// Where entry `index` stands in its input: the line of a TSV file (after the header line),
// the record of a JSON file.
qsizetype placeNumber(Format format, qsizetype index);
// "第 3 行", "第 3 条记录".
QString placeText(Format format, qsizetype index);
// "行", "记录": what placeNumber counts.
QString placeHeading(Format format);

// Chooses the reader by extension.
std::vector<IdiomEntry> read(const QString& path);

// Throws QuorvaneError when `other` is the input file under any spelling.
void checkNotInput(const QString& input, const QString& other);

// An input read whole and checked, not yet written.
struct Prepared {
    Format format = Format::Tsv;
    std::vector<IdiomEntry> entries;
    IdiomCheck::Result check;
};

// Reads and checks `input`; with `fixCodes` codes that do not match the pinyin are
// replaced by the pinyin's initials. Throws QuorvaneError on any error in the input.
Prepared prepare(const QString& input, bool fixCodes = false);

// Replaces `output` with a new idiom database, built beside it and renamed over it once
// complete; leftovers of killed imports of the same output are removed first.
void write(const std::vector<IdiomEntry>& entries, const QString& output,
           const IdiomDatabase::Progress& progress = {});

// Reads all of `input`, then replaces `output` with a new idiom database. On any error
// nothing is written and an existing output stays as it was. Returns the number of rows.
qsizetype run(const QString& input, const QString& output,
              const IdiomDatabase::Progress& progress = {});

} // namespace quorvane::IdiomImport

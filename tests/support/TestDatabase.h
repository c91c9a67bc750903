#pragma once

#include "data/IdiomEntry.h"

#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace quorvane::testing {

// An entry from its code and idiom, the other columns given in section order as needed.
IdiomEntry entry(const QString& code, const QString& idiom, const QString& pinyin = {},
                 const QString& explanation = {}, const QString& example = {});

// A program folder in a temporary directory, holding cy.mdb with the given rows and the
// default picture as images/bk.bmp. Settings and favourites go to a private XDG_CONFIG_HOME and
// XDG_DATA_HOME inside it.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::vector<IdiomEntry>& rows);
    QString path() const; // ends in '/'
    QString databasePath() const;
    QString configHome() const;
    // XDG_DATA_HOME, where the favourites live.
    QString dataHome() const;
    // Adds a row behind the program's back, as the maintenance window would.
    void appendRow(const IdiomEntry& row) const;

private:
    QTemporaryDir m_dir;
};

// The rows of cy.mdb in `folder`, read the way the program reads them (in the list's order);
// none when it cannot be opened.
std::vector<IdiomEntry> readDatabase(const QString& folder);

// A dozen idioms with shared and mixed-case codes, in a known pinyin order.
std::vector<IdiomEntry> sampleRows();

} // namespace quorvane::testing

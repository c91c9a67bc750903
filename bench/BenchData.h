#pragma once

#include "data/IdiomEntry.h"

#include <QString>

#include <vector>

namespace quorvane::bench {

// The real data set, or an empty list when it is not there.
std::vector<IdiomEntry> sharedDataSet();

// `count` rows built from the real set (or from a few made-up rows when it is missing),
// idioms made unique so the list does not collapse into repeats.
std::vector<IdiomEntry> generatedRows(int count);

// Builds a program folder (cy.mdb and images/bk.bmp) under `folder`.
void makeProgramFolder(const QString& folder, const std::vector<IdiomEntry>& rows);

} // namespace quorvane::bench

#pragma once

#include "data/IdiomColumns.h"

#include <QString>

#include <array>

namespace quorvane {

class AdoDataSet;

// One row of table cy; a NULL column is held as "".
struct IdiomEntry {
    std::array<QString, kColumnCount> columns;

    const QString& text(Column column) const { return columns[static_cast<size_t>(column)]; }
    QString& text(Column column) { return columns[static_cast<size_t>(column)]; }

    // Reads the current row of an open cursor by column name.
    static IdiomEntry fromCurrentRow(const AdoDataSet& dataSet);
};

} // namespace quorvane

#pragma once

#include <QString>

namespace quorvane::bench {

// The printing figures: a page drawn into a preview picture and an idiom printed to PDF.
void registerPrintBenchmarks();
// Memory of a process with the preview at its largest zoom, the database of `folder` open.
void reportPreviewMemory(const QString& folder);

} // namespace quorvane::bench

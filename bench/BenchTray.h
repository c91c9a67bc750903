#pragma once

#include <QString>

namespace quorvane::bench {

// tray_idle_cpu_pct: the program's CPU time over 20 s with its window in the tray and the
// icon animating, as a percentage of one core, on a desktop of its own.
void printTrayFigures(const QString& programFolder);

} // namespace quorvane::bench

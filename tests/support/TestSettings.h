#pragma once

#include <QString>

namespace quorvane::testing {

// The settings file's whole text as stored; "" when there is none.
QString settingsText();
// Replaces the settings file with the program's key holding `values` (lines of the export
// form, "\"name\"=...\r\n"); fails the running test when it cannot be written.
void writeSettings(const QString& values);

} // namespace quorvane::testing

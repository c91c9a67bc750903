#pragma once

#include <QString>

namespace quorvane::VersionText {

// The version label of the splash and About windows: "版本：" and the stored `version`, or
// "" when the value is missing or the settings cannot be read. Never throws: neither window
// reports anything about it.
QString label();

} // namespace quorvane::VersionText

#pragma once

#include <QString>

namespace quorvane::ProductLinks {

// The product's web page and the author's mail address, opened from the About window and
// the tray menu.
inline const QString webPage = QStringLiteral("https://www.brevinn.com/quorvane/");
inline const QString mailAddress = QStringLiteral("quorvane@brevinn.com");

} // namespace quorvane::ProductLinks

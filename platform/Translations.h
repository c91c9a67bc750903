#pragma once

#include <QString>

namespace quorvane::Translations {

// Makes Qt's own dialogs and standard buttons speak Chinese like the rest of the program:
// Qt's Chinese catalogue from its translations folder, and our own texts where it has
// none. Safe to call more than once. Returns false when Qt's catalogue is missing; the
// texts we supply ourselves are in place even then.
bool install();

} // namespace quorvane::Translations

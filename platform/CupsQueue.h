#pragma once

#include <QString>

namespace quorvane::CupsQueue {

// Why the CUPS queue `name` would not print a job now (server unreachable, queue stopped or
// rejecting jobs), in the user's words; empty when it takes jobs or CUPS cannot be asked.
QString refusal(const QString& name);

// What the last call of this thread into CUPS reported, when it failed (the printing of a
// finished document included); empty after a success.
QString lastFailure();

// Whether the CUPS library is there to be asked at all.
bool available();

} // namespace quorvane::CupsQueue

#pragma once

#include <functional>

namespace quorvane {

// Runs an event handler the way the application object does: an error that leaves it is
// shown in the standard error box, the rest of the handler is skipped, and the program
// goes on. Returns false when the handler failed.
bool runGuarded(const std::function<void()>& handler);

} // namespace quorvane

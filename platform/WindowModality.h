#pragma once

namespace quorvane::WindowModality {

// A modal window opened over another blocks that window and its family, not the whole
// program: the tray icon, a window of its own, still answers while About or a chooser is
// open, as it does on the desktop the program comes from. Windows opened without an owner
// stay modal to the whole program. A window a modal window blocks passes its activation on
// to that modal window. Safe to call more than once.
void install();

} // namespace quorvane::WindowModality

#pragma once

class QWidget;

// Tool windows that stay open beside the main window (search, favourites).
namespace quorvane::SideWindow {

// Scales a window designed for 800 x 600 to the primary screen.
void adaptToScreen(QWidget* window);

// Beside the owner if the screen has room there, otherwise over its right edge, below the
// toolbar, so the list and the entry stay in sight.
void placeBeside(QWidget* window, const QWidget* owner);

} // namespace quorvane::SideWindow

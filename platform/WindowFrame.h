#pragma once

class QWidget;

namespace quorvane::WindowFrame {

// A modal dialog without a minimise button: the frame the user gets offers the close box
// only (no minimise, no maximise).
bool closeBoxOnly(const QWidget* window);

// Qt's Motif hints already leave minimise out, but some window managers (openbox) offer it to
// every dialog regardless and only leave it off a window typed as a torn-off menu. Under
// openbox the window is typed so first, a dialog second; other managers are left to the Motif
// hints. Call after the native window exists and
// before it is mapped (on its show event); does nothing to other windows or off X11. Only modal
// windows: a menu-typed window drops out of window cycling and the task bar, which is right for
// one that always sits over its owner and wrong for a window the user may lose sight of.
void applyCloseBoxOnly(QWidget* window);

} // namespace quorvane::WindowFrame

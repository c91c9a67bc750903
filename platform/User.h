#pragma once

#include "platform/WindowMessages.h"

#include <QString>

#include <functional>
#include <memory>

class QPoint;
class QWidget;

// Window handles with replaceable window procedures, the way the program's components
// expect them of Windows USER. Real windows get a handle on request; their Qt events then
// arrive as the messages Windows would send (show, activate, size, move, destroy). A hidden
// application window stands for the program as a whole: it is minimised when the main
// window is minimised and carries the task-bar button.
namespace quorvane::User {

using WindowProcFn = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
struct WindowProcedure;
// A procedure that can be installed on a window; what setWindowProc returns and
// callWindowProc takes.
using WNDPROC = std::shared_ptr<WindowProcedure>;

// A procedure bound to an object (the thunk that stands in a window's procedure slot).
WNDPROC makeObjectInstance(WindowProcFn fn);

// Installs `proc` as the window's procedure and returns the one it replaces (nullptr when
// the window does not exist; nothing is installed then).
WNDPROC setWindowProc(HWND window, const WNDPROC& proc);
WNDPROC windowProc(HWND window);
// Takes `installed` out of the window's chain. When it is the current procedure, the one it
// replaced is put back; when a later procedure sits above it, it turns into a pass-through,
// so the chain above and below stays intact whatever the order of removal.
void removeWindowProc(HWND window, const WNDPROC& installed);
// Runs `proc` (skipping procedures taken out of their chain); DefWindowProc when none is left.
LRESULT callWindowProc(const WNDPROC& proc, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam);
LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A hidden window of the program's own for messages only (AllocateHWnd).
HWND allocateHWnd(WindowProcFn proc);
// Sends WM_DESTROY and forgets the handle.
void destroyWindow(HWND window);
bool isWindow(HWND window);

// The handle of a real top-level window, made on the first request.
HWND handleOf(QWidget* widget);
QWidget* widgetOf(HWND window);

// The program's hidden top-level window, for the whole run.
HWND applicationWindow();
// The program's main window (the first form), or nullptr.
void setMainWindow(QWidget* window);
QWidget* mainWindow();
// The program's title: the application window's caption, also the error box's caption.
// Qt is not told (an application display name would be added to every title bar).
void setApplicationTitle(const QString& title);
QString applicationTitle();
// Whether start-up shows the main window (a component may ask it not to).
bool showMainForm();
void setShowMainForm(bool show);

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Queued behind the events waiting in the Qt event loop; false when there is no such window.
bool postMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Sends the message to every window there is, the application window first.
void broadcastMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The same number for the same name (letter case ignored), from 0xC000 on.
UINT registerWindowMessage(const QString& name);

// SW_HIDE, SW_SHOW, SW_RESTORE, SW_MINIMIZE, SW_SHOWMAXIMIZED ...; returns whether the
// window was visible before.
bool showWindow(HWND window, int command);
bool isWindowVisible(HWND window);
bool isIconic(HWND window);
bool setForegroundWindow(HWND window);

bool getCursorPos(QPoint& position);
// The high bit set while the key is down: VK_SHIFT, VK_CONTROL and VK_MENU.
qint16 getAsyncKeyState(int virtualKey);

} // namespace quorvane::User

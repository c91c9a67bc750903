#pragma once

#include "platform/User.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

namespace quorvane {

class Canvas;

using HMENU = quintptr; // 0: no menu
using HHOOK = quintptr;

constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_HELP = 0x0053;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_MENUCHAR = 0x0120;
constexpr UINT WM_UNINITMENUPOPUP = 0x0125;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;

// Menu item flags (AppendMenu, InsertMenu, ModifyMenu) and the matching item types and states.
namespace MF {
inline constexpr UINT STRING = 0x0;
inline constexpr UINT BYCOMMAND = 0x0;
inline constexpr UINT ENABLED = 0x0;
inline constexpr UINT GRAYED = 0x1;
inline constexpr UINT DISABLED = 0x2;
inline constexpr UINT BITMAP = 0x4;
inline constexpr UINT CHECKED = 0x8;
inline constexpr UINT POPUP = 0x10;
inline constexpr UINT MENUBARBREAK = 0x20;
inline constexpr UINT MENUBREAK = 0x40;
inline constexpr UINT HILITE = 0x80;
inline constexpr UINT OWNERDRAW = 0x100;
inline constexpr UINT RADIOCHECK = 0x200;
inline constexpr UINT BYPOSITION = 0x400;
inline constexpr UINT SEPARATOR = 0x800;
inline constexpr UINT DEFAULT = 0x1000;
inline constexpr UINT SYSMENU = 0x2000;
inline constexpr UINT MOUSESELECT = 0x8000;
} // namespace MF

// TrackPopupMenu flags.
namespace TPM {
inline constexpr UINT LEFTALIGN = 0x0;
inline constexpr UINT RIGHTBUTTON = 0x2;
inline constexpr UINT CENTERALIGN = 0x4;
inline constexpr UINT RIGHTALIGN = 0x8;
inline constexpr UINT RETURNCMD = 0x100;
} // namespace TPM

// Owner-draw item states and actions.
namespace ODS {
inline constexpr UINT SELECTED = 0x1;
inline constexpr UINT GRAYED = 0x2;
inline constexpr UINT DISABLED = 0x4;
inline constexpr UINT CHECKED = 0x8;
} // namespace ODS
inline constexpr UINT ODT_MENU = 1;
inline constexpr UINT ODA_DRAWENTIRE = 1;
inline constexpr UINT ODA_SELECT = 2;

// WM_MENUCHAR answers (high word of the result).
inline constexpr UINT MNC_IGNORE = 0;
inline constexpr UINT MNC_CLOSE = 1;
inline constexpr UINT MNC_EXECUTE = 2;
inline constexpr UINT MNC_SELECT = 3;

// The records WM_DRAWITEM and WM_MEASUREITEM point to with their second parameter.
struct DRAWITEMSTRUCT {
    UINT CtlType = ODT_MENU;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    HMENU hwndItem = 0;
    Canvas* hDC = nullptr;
    QRect rcItem; // client coordinates of the popup window; right and bottom outside
    quintptr itemData = 0;
};
struct MEASUREITEMSTRUCT {
    UINT CtlType = ODT_MENU;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    quintptr itemData = 0;
};

// What WM_HELP points to for F1 on a menu entry: its command (0 for an entry that opens a
// sub-menu) and the menu that names it (that sub-menu, else the entry's own menu).
inline constexpr int HELPINFO_MENUITEM = 2;
struct HELPINFO {
    UINT cbSize = sizeof(HELPINFO);
    int iContextType = HELPINFO_MENUITEM;
    int iCtrlId = 0;
    HMENU hItemHandle = 0;
    quintptr dwContextId = 0;
    QPoint MousePos;
};

// A retrieved message, as the thread message hook sees it (and may clear).
struct MSG {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    quint32 time = 0;
    QPoint pt;
};

constexpr WPARAM makeWParam(int low, int high) {
    return static_cast<WPARAM>(makeLParam(low, high)) & 0xFFFFFFFFu;
}

} // namespace quorvane

// Native menus as objects, tracked in a popup that talks to its owner window in messages.
namespace quorvane::User {

struct MenuItemInfo {
    UINT type = MF::STRING; // STRING, BITMAP, SEPARATOR, OWNERDRAW, RADIOCHECK, breaks
    UINT state = 0;         // GRAYED, DISABLED, CHECKED, HILITE, DEFAULT
    UINT id = 0;
    HMENU subMenu = 0;
    QString text;
    QImage bitmap;
};

// The owner-draw state (ODS) an entry is drawn in, as a bar or popup shows it.
UINT drawItemState(const MenuItemInfo& info, bool selected);
// Asks the owner window to paint an owner-drawn entry of `menu` in `rect` of `dc`.
void sendDrawItem(HWND owner, HMENU menu, const MenuItemInfo& info, UINT state, Canvas& dc,
                  const QRect& rect);

HMENU createMenu();
HMENU createPopupMenu();
// Destroys the menu and the sub-menus of its entries.
bool destroyMenu(HMENU menu);
bool isMenu(HMENU menu);
int getMenuItemCount(HMENU menu);
// `item` is a position with MF::BYPOSITION, else a command (searched in sub-menus too).
bool getMenuItemInfo(HMENU menu, UINT item, bool byPosition, MenuItemInfo& info);
bool setMenuItemInfo(HMENU menu, UINT item, bool byPosition, const MenuItemInfo& info);
bool insertMenuItem(HMENU menu, UINT item, bool byPosition, const MenuItemInfo& info);
// `idOrSubMenu` is the sub-menu's handle with MF::POPUP.
bool appendMenu(HMENU menu, UINT flags, quintptr idOrSubMenu, const QString& text);
bool insertMenu(HMENU menu, UINT position, UINT flags, quintptr idOrSubMenu, const QString& text);
bool modifyMenu(HMENU menu, UINT position, UINT flags, quintptr idOrSubMenu, const QString& text);
// RemoveMenu keeps an entry's sub-menu, DeleteMenu destroys it.
bool removeMenu(HMENU menu, UINT position, UINT flags);
bool deleteMenu(HMENU menu, UINT position, UINT flags);
HMENU getSubMenu(HMENU menu, int position);
// Returns the previous state (MF::GRAYED | MF::DISABLED bits, CHECKED), or -1 without entry.
int enableMenuItem(HMENU menu, UINT item, UINT flags);
int checkMenuItem(HMENU menu, UINT item, UINT flags);

// Shows the menu at the screen point until it closes. The owner window gets the menu's
// messages while it is open; a chosen item arrives there as WM_COMMAND (or, with
// TPM::RETURNCMD, is returned). Returns 0 when nothing was chosen.
int trackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
// The popup window of the menu being tracked, or nullptr.
QWidget* trackedPopup();
// Closes the menu being tracked, as Escape would.
void endMenu();

// The application's help requests (HELP_CONTEXT 1, HELP_CONTEXTPOPUP 8 with a context), passed
// to whoever shows the program's help; false when nobody does.
using HelpHandler = std::function<bool(UINT command, quintptr data)>;
void setHelpHandler(HelpHandler handler);
bool helpCommand(UINT command, quintptr data);

// The thread message hook (WH_GETMESSAGE): offered every key message the program retrieves;
// a procedure that sets the message to WM_NULL consumes it.
inline constexpr int WH_GETMESSAGE = 3;
using HookProc = std::function<LRESULT(int code, WPARAM wParam, LPARAM lParam)>;
HHOOK setWindowsHookEx(int kind, HookProc proc);
bool unhookWindowsHookEx(HHOOK hook);
LRESULT callNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// The state of VK_SHIFT, VK_CONTROL or VK_MENU as of the key message being retrieved (the
// high bit set while down).
qint16 getKeyState(int virtualKey);

// The virtual key of a Qt key (letters and digits as their capital ASCII code).
int virtualKeyOf(int qtKey);

} // namespace quorvane::User

#include "platform/Menus.h"

#include "platform/MenuPopupWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <map>
#include <vector>

namespace quorvane::User {
namespace {

struct NativeMenu {
    bool popup = false;
    std::vector<MenuItemInfo> items;
};

struct MenuTable {
    std::map<HMENU, NativeMenu> menus;
    HMENU next = 0x20000;
};

MenuTable& menus() {
    static MenuTable table;
    return table;
}

NativeMenu* find(HMENU menu) {
    const auto it = menus().menus.find(menu);
    return it == menus().menus.end() ? nullptr : &it->second;
}

// The entry named by position or command; commands are searched in sub-menus too.
MenuItemInfo* entry(HMENU menu, UINT item, bool byPosition, HMENU* owner = nullptr) {
    NativeMenu* native = find(menu);
    if (!native)
        return nullptr;
    if (byPosition) {
        if (item >= native->items.size())
            return nullptr;
        if (owner)
            *owner = menu;
        return &native->items[item];
    }
    for (MenuItemInfo& info : native->items) {
        if (!info.subMenu && info.id == item) {
            if (owner)
                *owner = menu;
            return &info;
        }
    }
    for (MenuItemInfo& info : native->items)
        if (info.subMenu)
            if (MenuItemInfo* found = entry(info.subMenu, item, false, owner))
                return found;
    // Last, the entries that open a sub-menu answer to their own identifier, as they do on
    // the platform: a parent item can be grayed or checked by its command.
    for (MenuItemInfo& info : native->items) {
        if (info.subMenu && item != 0 && info.id == item) {
            if (owner)
                *owner = menu;
            return &info;
        }
    }
    return nullptr;
}

MenuItemInfo fromFlags(UINT flags, quintptr idOrSubMenu, const QString& text) {
    MenuItemInfo info;
    info.type = flags & (MF::BITMAP | MF::MENUBARBREAK | MF::MENUBREAK | MF::OWNERDRAW |
                         MF::RADIOCHECK | MF::SEPARATOR);
    info.state = flags & (MF::GRAYED | MF::DISABLED | MF::CHECKED | MF::HILITE | MF::DEFAULT);
    if (flags & MF::POPUP)
        info.subMenu = idOrSubMenu;
    else
        info.id = static_cast<UINT>(idOrSubMenu & 0xFFFF);
    info.text = text;
    return info;
}

HMENU create(bool popup) {
    const HMENU handle = menus().next++;
    menus().menus[handle].popup = popup;
    return handle;
}

QPointer<MenuPopupWindow> g_tracked;
// The modifiers of the key message being retrieved, as GetKeyState reports them.
Qt::KeyboardModifiers g_keyModifiers;
bool g_keyModifiersKnown = false;

struct Hook {
    HHOOK handle;
    HookProc proc;
};

// Offers the program's key presses to the thread message hooks, the latest first.
class MessageHookFilter : public QObject {
public:
    std::vector<Hook> hooks; // in installation order
    HHOOK next = 1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (hooks.empty() || event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const int vk = virtualKeyOf(key->key());
        if (vk == 0)
            return false;
        g_keyModifiers = key->modifiers();
        g_keyModifiersKnown = true;
        const bool alt = key->modifiers() & Qt::AltModifier;
        MSG msg;
        msg.hwnd = handleOf(static_cast<QWidget*>(watched));
        msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg.wParam = static_cast<WPARAM>(vk);
        msg.lParam = (alt ? LPARAM(1) << 29 : 0) | (key->isAutoRepeat() ? LPARAM(1) << 30 : 0) | 1;
        msg.time = static_cast<quint32>(key->timestamp());
        const HHOOK first = hooks.back().handle;
        callNextHookEx(first + 0, 0, 1, reinterpret_cast<LPARAM>(&msg), true);
        const bool consumed = msg.message == WM_NULL;
        g_keyModifiersKnown = false;
        return consumed;
    }

public:
    // Calls the hook `from` (itself when `inclusive`, else the one installed before it).
    LRESULT callNextHookEx(HHOOK from, int code, WPARAM wParam, LPARAM lParam, bool inclusive) {
        auto it = std::find_if(hooks.rbegin(), hooks.rend(),
                               [from](const Hook& h) { return h.handle == from; });
        if (it == hooks.rend())
            return 0;
        if (!inclusive)
            ++it;
        if (it == hooks.rend())
            return 0;
        const HookProc proc = it->proc; // the hook may remove itself
        return proc ? proc(code, wParam, lParam) : 0;
    }
};

MessageHookFilter* hookFilter() {
    static MessageHookFilter* filter = nullptr;
    if (!filter) {
        filter = new MessageHookFilter;
        if (qApp)
            qApp->installEventFilter(filter);
    }
    return filter;
}

} // namespace

UINT drawItemState(const MenuItemInfo& info, bool selected) {
    UINT state = selected ? ODS::SELECTED : 0;
    if (info.state & MF::GRAYED)
        state |= ODS::GRAYED;
    if (info.state & (MF::GRAYED | MF::DISABLED))
        state |= ODS::DISABLED;
    if (info.state & MF::CHECKED)
        state |= ODS::CHECKED;
    return state;
}

void sendDrawItem(HWND owner, HMENU menu, const MenuItemInfo& info, UINT state, Canvas& dc,
                  const QRect& rect) {
    DRAWITEMSTRUCT dis;
    dis.itemID = info.id;
    dis.itemState = state;
    dis.hwndItem = menu;
    dis.hDC = &dc;
    dis.rcItem = rect;
    sendMessage(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
}

HMENU createMenu() {
    return create(false);
}

HMENU createPopupMenu() {
    return create(true);
}

bool destroyMenu(HMENU menu) {
    NativeMenu* native = find(menu);
    if (!native)
        return false;
    // A menu destroyed while it is open closes; its popup uses nothing of it afterwards.
    for (MenuPopupWindow* level = g_tracked; level; level = level->subMenuPopup())
        if (level->menu() == menu)
            g_tracked->cancel();
    const std::vector<MenuItemInfo> items = std::move(native->items);
    menus().menus.erase(menu);
    for (const MenuItemInfo& info : items)
        if (info.subMenu)
            destroyMenu(info.subMenu);
    return true;
}

bool isMenu(HMENU menu) {
    return menu != 0 && find(menu) != nullptr;
}

int getMenuItemCount(HMENU menu) {
    const NativeMenu* native = find(menu);
    return native ? int(native->items.size()) : -1;
}

bool getMenuItemInfo(HMENU menu, UINT item, bool byPosition, MenuItemInfo& info) {
    const MenuItemInfo* found = entry(menu, item, byPosition);
    if (found)
        info = *found;
    return found != nullptr;
}

bool setMenuItemInfo(HMENU menu, UINT item, bool byPosition, const MenuItemInfo& info) {
    MenuItemInfo* found = entry(menu, item, byPosition);
    if (found)
        *found = info;
    return found != nullptr;
}

bool insertMenuItem(HMENU menu, UINT item, bool byPosition, const MenuItemInfo& info) {
    NativeMenu* native = find(menu);
    if (!native)
        return false;
    auto at = native->items.end();
    if (byPosition) {
        if (item < native->items.size())
            at = native->items.begin() + item;
    } else {
        at = std::find_if(native->items.begin(), native->items.end(),
                          [item](const MenuItemInfo& i) { return !i.subMenu && i.id == item; });
    }
    native->items.insert(at, info);
    return true;
}

bool appendMenu(HMENU menu, UINT flags, quintptr idOrSubMenu, const QString& text) {
    return insertMenuItem(menu, 0xFFFFFFFFu, true, fromFlags(flags, idOrSubMenu, text));
}

bool insertMenu(HMENU menu, UINT position, UINT flags, quintptr idOrSubMenu, const QString& text) {
    return insertMenuItem(menu, position, flags & MF::BYPOSITION,
                          fromFlags(flags, idOrSubMenu, text));
}

bool modifyMenu(HMENU menu, UINT position, UINT flags, quintptr idOrSubMenu, const QString& text) {
    MenuItemInfo* found = entry(menu, position, flags & MF::BYPOSITION);
    if (!found)
        return false;
    MenuItemInfo info = fromFlags(flags, idOrSubMenu, text);
    // An entry that opens a sub-menu keeps it when modified without MF_POPUP.
    if (!(flags & MF::POPUP))
        info.subMenu = found->subMenu;
    if (info.type & MF::BITMAP)
        info.bitmap = found->bitmap;
    *found = info;
    return true;
}

bool removeMenu(HMENU menu, UINT position, UINT flags) {
    HMENU owner = 0;
    const MenuItemInfo* found = entry(menu, position, flags & MF::BYPOSITION, &owner);
    if (!found)
        return false;
    auto& items = find(owner)->items;
    items.erase(items.begin() + (found - items.data()));
    return true;
}

bool deleteMenu(HMENU menu, UINT position, UINT flags) {
    MenuItemInfo info;
    if (!getMenuItemInfo(menu, position, flags & MF::BYPOSITION, info))
        return false;
    removeMenu(menu, position, flags);
    if (info.subMenu)
        destroyMenu(info.subMenu);
    return true;
}

HMENU getSubMenu(HMENU menu, int position) {
    const MenuItemInfo* found = position < 0 ? nullptr : entry(menu, UINT(position), true);
    return found ? found->subMenu : 0;
}

int enableMenuItem(HMENU menu, UINT item, UINT flags) {
    MenuItemInfo* found = entry(menu, item, flags & MF::BYPOSITION);
    if (!found)
        return -1;
    const int previous = int(found->state & (MF::GRAYED | MF::DISABLED));
    found->state =
        (found->state & ~(MF::GRAYED | MF::DISABLED)) | (flags & (MF::GRAYED | MF::DISABLED));
    return previous;
}

int checkMenuItem(HMENU menu, UINT item, UINT flags) {
    MenuItemInfo* found = entry(menu, item, flags & MF::BYPOSITION);
    if (!found)
        return -1;
    const int previous = int(found->state & MF::CHECKED);
    found->state = (found->state & ~MF::CHECKED) | (flags & MF::CHECKED);
    return previous;
}

int trackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    if (!isMenu(menu) || !isWindow(owner) || g_tracked)
        return 0;
    MenuPopupWindow popup(menu, owner);
    g_tracked = &popup;
    const UINT chosen = popup.track(flags, QPoint(x, y));
    g_tracked = nullptr;
    if (chosen == 0)
        return 0;
    if (flags & TPM::RETURNCMD)
        return int(chosen);
    postMessage(owner, WM_COMMAND, chosen, 0);
    return 1;
}

QWidget* trackedPopup() {
    return g_tracked.data();
}

void endMenu() {
    if (g_tracked)
        g_tracked->cancel();
}

namespace {
HelpHandler& helpHandler() {
    static HelpHandler handler;
    return handler;
}
} // namespace

void setHelpHandler(HelpHandler handler) {
    helpHandler() = std::move(handler);
}

bool helpCommand(UINT command, quintptr data) {
    const HelpHandler handler = helpHandler();
    return handler && handler(command, data);
}

HHOOK setWindowsHookEx(int kind, HookProc proc) {
    if (kind != WH_GETMESSAGE || !proc)
        return 0;
    MessageHookFilter* filter = hookFilter();
    const HHOOK handle = filter->next++;
    filter->hooks.push_back({handle, std::move(proc)});
    return handle;
}

bool unhookWindowsHookEx(HHOOK hook) {
    auto& hooks = hookFilter()->hooks;
    const auto it = std::find_if(hooks.begin(), hooks.end(),
                                 [hook](const Hook& h) { return h.handle == hook; });
    if (it == hooks.end())
        return false;
    hooks.erase(it);
    return true;
}

LRESULT callNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    return hookFilter()->callNextHookEx(hook, code, wParam, lParam, false);
}

qint16 getKeyState(int virtualKey) {
    if (!g_keyModifiersKnown)
        return getAsyncKeyState(virtualKey);
    const Qt::KeyboardModifier wanted = virtualKey == VK_SHIFT     ? Qt::ShiftModifier
                                        : virtualKey == VK_CONTROL ? Qt::ControlModifier
                                        : virtualKey == VK_MENU    ? Qt::AltModifier
                                                                   : Qt::NoModifier;
    return wanted != Qt::NoModifier && (g_keyModifiers & wanted) ? qint16(0x8000) : 0;
}

int virtualKeyOf(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return 0x2E;
    default:
        return 0;
    }
}

} // namespace quorvane::User

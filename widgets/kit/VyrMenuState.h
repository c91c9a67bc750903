#pragma once
// Process-wide state of the kit's menus, shared by the component and its message handling.

#include "platform/Menus.h"

#include <QString>

#include <vector>

namespace quorvane {
class TVyrMenu;
namespace kitmenu {
extern HHOOK g_shortcutHook;
// Native handle of the menu whose menu loop runs, or 0.
extern HMENU g_menuLoop;
extern QString g_hint;
// Every kit menu alive, in creation order: the shortcuts stay with the remaining ones.
std::vector<TVyrMenu*>& liveMenus();
LRESULT ShortcutHook(int code, WPARAM wParam, LPARAM lParam);
} // namespace kitmenu
} // namespace quorvane

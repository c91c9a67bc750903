#include "widgets/kit/VyrMenuState.h"
#include "widgets/kit/VyrMenu.h"

#include <algorithm>

namespace quorvane {

TVyrMenuState& TVyrMenuState::instance() {
    static TVyrMenuState state;
    return state;
}

void TVyrMenuState::addMenu(TVyrMenu* menu) {
    if (!m_hook)
        m_hook = User::setWindowsHookEx(User::WH_GETMESSAGE, &TVyrMenuState::shortcutHook);
    m_menus.push_back(menu);
}

void TVyrMenuState::removeMenu(TVyrMenu* menu) {
    m_menus.erase(std::remove(m_menus.begin(), m_menus.end(), menu), m_menus.end());
    if (m_menus.empty() && m_hook) {
        User::unhookWindowsHookEx(m_hook);
        m_hook = 0;
    }
}

LRESULT TVyrMenuState::shortcutHook(int code, WPARAM wParam, LPARAM lParam) {
    TVyrMenuState& state = instance();
    if (code < 0 || state.m_menuLoop != 0)
        return User::callNextHookEx(state.m_hook, code, wParam, lParam);
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && !state.m_menus.empty()) {
        // The menus placed beside the first one, in their order.
        const QObject* owner = state.m_menus.front()->parent();
        const std::vector<TVyrMenu*> menus = state.m_menus;
        for (TVyrMenu* menu : menus) {
            if (menu->parent() != owner)
                continue;
            if (menu->IsShortCut(*msg)) {
                *msg = MSG{};
                return 0;
            }
        }
    }
    return User::callNextHookEx(state.m_hook, code, wParam, lParam);
}

quint16 TVyrMenuState::takeCommand() {
    auto it = std::find(m_commands.begin(), m_commands.end(), false);
    if (it == m_commands.end())
        it = m_commands.insert(m_commands.end(), false);
    *it = true;
    return quint16(it - m_commands.begin());
}

void TVyrMenuState::giveBack(quint16 command) {
    if (command != 0 && command < m_commands.size())
        m_commands[command] = false;
}

} // namespace quorvane

#pragma once

#include "platform/Menus.h"

#include <QImage>
#include <QString>

#include <vector>

namespace quorvane {

class TVyrMenu;
class TVyrMenuItem;

// What every kit menu of the process shares: the live menus and the message hook that
// answers their shortcuts, the running menu loop and its hint, the item command numbers and
// the rendered side bar.
class TVyrMenuState {
public:
    static TVyrMenuState& instance();
    TVyrMenuState(const TVyrMenuState&) = delete;
    TVyrMenuState& operator=(const TVyrMenuState&) = delete;

    // The first menu hooks the thread's messages for the shortcuts; the hook goes with the
    // last one, and the remaining menus keep their shortcuts.
    void addMenu(TVyrMenu* menu);
    void removeMenu(TVyrMenu* menu);
    // Every kit menu alive, in creation order.
    const std::vector<TVyrMenu*>& menus() const { return m_menus; }

    // Native handle of the menu whose menu loop runs, or 0.
    HMENU menuLoop() const { return m_menuLoop; }
    void setMenuLoop(HMENU menu) { m_menuLoop = menu; }
    // The long hint of the item last selected in a menu loop.
    const QString& hint() const { return m_hint; }
    void setHint(const QString& hint) { m_hint = hint; }

    // A new item takes the lowest command number not in use.
    quint16 takeCommand();
    void giveBack(quint16 command);

    // The side bar rendered last: for the popup of `parent`, at the size of `bitmap`.
    struct BarCache {
        const TVyrMenuItem* parent = nullptr;
        QImage bitmap;
    };
    BarCache& barCache() { return m_barCache; }
    void dropBarCache() { m_barCache.parent = nullptr; }

private:
    TVyrMenuState() = default;
    static LRESULT shortcutHook(int code, WPARAM wParam, LPARAM lParam);

    std::vector<TVyrMenu*> m_menus;
    HHOOK m_hook = 0;
    HMENU m_menuLoop = 0;
    QString m_hint;
    std::vector<bool> m_commands;
    BarCache m_barCache;
};

} // namespace quorvane

#pragma once

#include "platform/Menus.h"

#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

namespace quorvane {

// The popup window of a tracked native menu, and of each sub-menu opened from it. Owner-drawn
// entries are measured and painted by the owner window (WM_MEASUREITEM, WM_DRAWITEM on a canvas
// over the window's pixels); selection, menu characters, help and the chosen command go to the
// owner as messages too. The first level runs the menu's loop; sub-menu levels open beside
// the entry that leads to them.
class MenuPopupWindow : public QWidget {
public:
    MenuPopupWindow(HMENU menu, HWND owner, MenuPopupWindow* parentLevel = nullptr,
                    int position = 0);
    ~MenuPopupWindow() override;

    // Shows the menu and returns the chosen command, 0 when it was closed without choice.
    UINT track(UINT flags, const QPoint& at);
    // Closes the whole menu, every level.
    void cancel();
    HMENU menu() const { return m_menu; }
    // The index of the selected entry, -1 when none.
    int selected() const { return m_selected; }
    // The rectangle of entry `index` in the window.
    QRect itemRect(int index) const;
    int itemCount() const { return int(m_items.size()); }
    // The sub-menu level open beside this one, or nullptr.
    MenuPopupWindow* subMenuPopup() const { return m_child.get(); }
    MenuPopupWindow* parentLevel() const { return m_parentLevel; }
    // How long the pointer rests on an entry before its sub-menu opens or another closes.
    static constexpr int kHoverDelayMs = 400;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Item {
        User::MenuItemInfo info;
        QRect rect;
    };
    MenuPopupWindow* root();
    MenuPopupWindow* deepest();
    // The level under the screen point, the deepest first; nullptr outside all of them.
    MenuPopupWindow* levelAt(const QPoint& global);
    void measure();
    // Paints every entry and shows the window at `topLeft`, kept on the screen of `anchor`.
    void place(QPoint topLeft, int alternativeX, const QPoint& anchor);
    // Paints one entry into the window's picture through the owner (or plainly).
    void paintItem(int index);
    void select(int index);
    void choose(int index);
    bool alive();
    int itemAt(const QPoint& point) const;
    bool selectable(int index) const;
    bool opensSubMenu(int index) const;
    void openSubMenu(int index, bool selectFirst);
    void closeSubMenu();
    void pointerAt(const QPoint& local);
    void hoverElapsed();
    void handleKey(QKeyEvent* event);
    void step(int direction);
    void requestHelp();

    HMENU m_menu;
    HWND m_owner;
    MenuPopupWindow* m_parentLevel;
    int m_position; // of the entry in the parent level that opened this one
    std::unique_ptr<MenuPopupWindow> m_child;
    std::vector<std::unique_ptr<MenuPopupWindow>> m_closed; // levels closed while tracking
    std::vector<Item> m_items;
    QImage m_picture; // the client area, where the items are drawn
    QImage m_frame;
    int m_selected = -1;
    UINT m_chosen = 0;
    bool m_done = false;
    bool m_closing = false; // hidden on purpose, not by the system
    QTimer m_hover;
    int m_hoverIndex = -1;
    QEventLoop m_loop;
};

} // namespace quorvane

#pragma once

#include "platform/Menus.h"

#include <QEventLoop>
#include <QImage>
#include <QWidget>

#include <vector>

namespace quorvane {

// The popup window of a tracked native menu. Owner-drawn entries are measured and painted
// by the owner window (WM_MEASUREITEM, WM_DRAWITEM on a canvas over the window's pixels);
// selection, menu characters and the chosen command go to the owner as messages too.
class MenuPopupWindow : public QWidget {
public:
    MenuPopupWindow(HMENU menu, HWND owner);
    ~MenuPopupWindow() override;

    // Shows the menu and returns the chosen command, 0 when it was closed without choice.
    UINT track(UINT flags, const QPoint& at);
    void cancel();
    HMENU menu() const { return m_menu; }
    // The index of the selected entry, -1 when none.
    int selected() const { return m_selected; }
    // The rectangle of entry `index` in the window.
    QRect itemRect(int index) const;
    int itemCount() const { return int(m_items.size()); }

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
    void measure();
    // Paints one entry into the window's picture through the owner (or plainly).
    void paintItem(int index);
    void select(int index);
    void choose(int index);
    bool alive();
    int itemAt(const QPoint& point) const;
    bool selectable(int index) const;

    HMENU m_menu;
    HWND m_owner;
    std::vector<Item> m_items;
    QImage m_picture; // the client area, where the items are drawn
    QImage m_frame;
    int m_selected = -1;
    UINT m_chosen = 0;
    bool m_done = false;
    QEventLoop m_loop;
};

} // namespace quorvane

#pragma once

#include "platform/Menus.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace quorvane {

// System commands (WM_SYSCOMMAND, first parameter).
namespace SC {
inline constexpr UINT SIZE = 0xF000;
inline constexpr UINT MOVE = 0xF010;
inline constexpr UINT MINIMIZE = 0xF020;
inline constexpr UINT MAXIMIZE = 0xF030;
inline constexpr UINT CLOSE = 0xF060;
inline constexpr UINT RESTORE = 0xF120;
inline constexpr UINT TASKLIST = 0xF130;
inline constexpr UINT MONITORPOWER = 0xF170;
inline constexpr UINT CONTEXTHELP = 0xF180;
} // namespace SC

// The menu bar of a window: a strip along its top that shows the entries of the window's
// menu. Owner-drawn entries are measured and painted by the window (WM_MEASUREITEM,
// WM_DRAWITEM); a click opens an entry's sub-menu, or sends WM_COMMAND for a plain entry.
class MenuBarStrip : public QWidget {
public:
    MenuBarStrip(HWND window, QWidget* parent);

    // Measures and paints the entries again.
    void refresh();
    int itemCount() const { return int(m_items.size()); }
    QRect itemRect(int index) const;
    // The entry whose sub-menu is open, -1 when none.
    int selected() const { return m_selected; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Follows the width of the window it sits in.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        User::MenuItemInfo info;
        QRect rect;
    };
    void paintItems();
    void open(int index);
    int entryForKey(QChar typed) const;

    HWND m_window;
    std::vector<Item> m_items;
    QImage m_picture;
    int m_height;
    int m_selected = -1;
};

} // namespace quorvane

namespace quorvane::User {

// Makes `menu` the window's menu bar (0 takes the bar away). The menu stays the caller's.
bool setMenu(HWND window, HMENU menu);
HMENU getMenu(HWND window);
// Shows the bar's entries as they are now.
bool drawMenuBar(HWND window);
MenuBarStrip* menuBarOf(HWND window);
// The window's own copy of the system menu, made on first use; `revert` throws the copy away
// (the next request makes a fresh one) and returns 0.
HMENU getSystemMenu(HWND window, bool revert);
// What the default window procedure does with WM_SYSCOMMAND: close, minimise, maximise and
// restore the window. False for a command it does not act on.
bool applySystemCommand(HWND window, WPARAM command);

} // namespace quorvane::User

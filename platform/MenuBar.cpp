#include "platform/MenuBar.h"

#include "platform/Canvas.h"
#include "platform/Mnemonic.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

#include <map>

namespace quorvane {
namespace {

constexpr int kBarHeight = 19; // SM_CYMENU
constexpr int kTextPadding = 8;

struct WindowMenus {
    HMENU bar = 0;
    QPointer<MenuBarStrip> strip;
    HMENU system = 0;
    int marginAdded = 0; // the room made at the top of a window that is no QMainWindow
};

std::map<HWND, WindowMenus>& windowMenus() {
    static std::map<HWND, WindowMenus> table;
    return table;
}

// A fresh system menu of a sizeable window.
HMENU makeSystemMenu() {
    const HMENU menu = User::createPopupMenu();
    User::appendMenu(menu, MF::STRING, SC::RESTORE, QStringLiteral("&Restore"));
    User::appendMenu(menu, MF::STRING, SC::MOVE, QStringLiteral("&Move"));
    User::appendMenu(menu, MF::STRING, SC::SIZE, QStringLiteral("&Size"));
    User::appendMenu(menu, MF::STRING, SC::MINIMIZE, QStringLiteral("Mi&nimize"));
    User::appendMenu(menu, MF::STRING, SC::MAXIMIZE, QStringLiteral("Ma&ximize"));
    User::appendMenu(menu, MF::SEPARATOR, 0, QString());
    User::appendMenu(menu, MF::STRING, SC::CLOSE, QStringLiteral("&Close\tAlt+F4"));
    return menu;
}

void setTopMargin(QWidget* widget, WindowMenus& entry, int wanted) {
    QMargins margins = widget->contentsMargins();
    margins.setTop(margins.top() - entry.marginAdded + wanted);
    entry.marginAdded = wanted;
    widget->setContentsMargins(margins);
}

} // namespace

MenuBarStrip::MenuBarStrip(HWND window, QWidget* parent)
    : QWidget(parent), m_window(window), m_height(kBarHeight) {
    setObjectName(QStringLiteral("MenuBarStrip"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent && !qobject_cast<QMainWindow*>(parent))
        parent->installEventFilter(this);
    // Alt and a letter open a bar entry, whichever child of the window has the keyboard.
    qApp->installEventFilter(this);
}

// The entry whose accelerator is `typed`: a text entry by its "&", an owner-drawn one by
// asking the window (WM_MENUCHAR), as for a popup.
int MenuBarStrip::entryForKey(QChar typed) const {
    const HMENU bar = User::getMenu(m_window);
    for (int i = 0; i < itemCount(); ++i) {
        const QChar key = Mnemonic::key(m_items[size_t(i)].info.text);
        if (!key.isNull() && key.toCaseFolded() == typed.toCaseFolded())
            return i;
    }
    const LRESULT answer =
        User::sendMessage(m_window, WM_MENUCHAR, makeWParam(typed.unicode(), 0), LPARAM(bar));
    return hiWord(quintptr(answer)) == MNC_EXECUTE ? loWord(quintptr(answer)) : -1;
}

QSize MenuBarStrip::sizeHint() const {
    const int width = m_items.empty() ? 0 : m_items.back().rect.right() + 1;
    return {width, m_height};
}

QRect MenuBarStrip::itemRect(int index) const {
    return index >= 0 && index < itemCount() ? m_items[size_t(index)].rect : QRect();
}

void MenuBarStrip::refresh() {
    m_items.clear();
    const HMENU menu = User::getMenu(m_window);
    const int count = User::isMenu(menu) ? User::getMenuItemCount(menu) : 0;
    const QFontMetrics metrics(QGuiApplication::font());
    int height = kBarHeight;
    int x = 0;
    for (int i = 0; i < count; ++i) {
        Item item;
        User::getMenuItemInfo(menu, UINT(i), true, item.info);
        int width = 0;
        if (item.info.type & MF::OWNERDRAW) {
            MEASUREITEMSTRUCT mis;
            mis.itemID = item.info.id;
            User::sendMessage(m_window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
            width = int(mis.itemWidth);
            height = std::max(height, int(mis.itemHeight));
        } else if (item.info.type & MF::BITMAP) {
            width = item.info.bitmap.width() + kTextPadding;
        } else if (!(item.info.type & MF::SEPARATOR)) {
            width =
                metrics.horizontalAdvance(Mnemonic::stripped(item.info.text)) + 2 * kTextPadding;
        }
        item.rect = QRect(x, 0, width, 0);
        x += width;
        m_items.push_back(item);
        // The window may have taken its menu away while it measured.
        if (!User::isMenu(menu))
            break;
    }
    for (Item& item : m_items)
        item.rect.setHeight(height);
    if (height != m_height) {
        m_height = height;
        updateGeometry();
    }
    if (parentWidget() && !qobject_cast<QMainWindow*>(parentWidget())) {
        setGeometry(0, 0, parentWidget()->width(), m_height);
        auto& table = windowMenus();
        if (const auto it = table.find(m_window); it != table.end())
            setTopMargin(parentWidget(), it->second, m_height);
    }
    paintItems();
}

void MenuBarStrip::paintItems() {
    m_picture = QImage(std::max(1, width()), m_height, QImage::Format_RGB32);
    m_picture.fill(toQColor(clMenu).rgb());
    const HMENU menu = User::getMenu(m_window);
    Canvas dc(m_picture);
    for (int i = 0; i < itemCount(); ++i) {
        const Item& item = m_items[size_t(i)];
        const User::MenuItemInfo& info = item.info;
        const UINT state = User::drawItemState(info, i == m_selected);
        if (info.type & MF::OWNERDRAW) {
            User::sendDrawItem(m_window, menu, info, state, dc, item.rect);
            continue;
        }
        const bool selected = state & ODS::SELECTED;
        if (selected)
            dc.fillRect(item.rect, {BrushStyle::Solid, clHighlight});
        if (info.type & MF::BITMAP) {
            dc.draw(item.rect.left() + kTextPadding / 2, item.rect.top(), info.bitmap);
            continue;
        }
        dc.setBkMode(BkMode::Transparent);
        dc.setTextColour(state & ODS::DISABLED ? clGrayText
                                               : (selected ? clHighlightText : clMenuText));
        QRect text = item.rect;
        dc.drawText(info.text, text, DT::SINGLELINE | DT::VCENTER | DT::CENTER);
    }
    update();
}

void MenuBarStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(clMenu));
    painter.drawImage(0, 0, m_picture);
}

void MenuBarStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < itemCount(); ++i)
        if (m_items[size_t(i)].rect.contains(event->position().toPoint()))
            return open(i);
}

void MenuBarStrip::open(int index) {
    // The entry as it is now: the bar is redrawn only when its texts or states change, not
    // when an entry gains or loses its sub-menu.
    User::MenuItemInfo info;
    if (!User::getMenuItemInfo(User::getMenu(m_window), UINT(index), true, info))
        return;
    if (info.state & (MF::GRAYED | MF::DISABLED) || info.type & MF::SEPARATOR)
        return;
    if (!info.subMenu) {
        User::postMessage(m_window, WM_COMMAND, info.id, 0);
        return;
    }
    const QPointer<MenuBarStrip> self(this);
    m_selected = index;
    paintItems();
    const QPoint at = mapToGlobal(m_items[size_t(index)].rect.bottomLeft() + QPoint(0, 1));
    User::trackPopupMenu(info.subMenu, TPM::LEFTALIGN, at.x(), at.y(), m_window);
    if (!self)
        return;
    m_selected = -1;
    paintItems();
}

void MenuBarStrip::resizeEvent(QResizeEvent*) {
    paintItems();
}

bool MenuBarStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(0, 0, parentWidget()->width(), m_height);
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::AltModifier || key->text().isEmpty() ||
        static_cast<QWidget*>(watched)->window() != window() || !isVisible())
        return false;
    // The text of an Alt key is the plain character on most layouts; else the key itself.
    const QChar typed = key->text()[0].isPrint() ? key->text()[0] : QChar(key->key());
    const int index = entryForKey(typed);
    if (index < 0 || index >= itemCount())
        return false;
    open(index);
    return true;
}

} // namespace quorvane

namespace quorvane::User {

bool setMenu(HWND window, HMENU menu) {
    QWidget* widget = widgetOf(window);
    if (!widget || (menu && !isMenu(menu)))
        return false;
    auto& table = windowMenus();
    WindowMenus& entry = table[window];
    entry.bar = menu;
    if (!menu) {
        delete entry.strip.data();
        setTopMargin(widget, entry, 0);
        return true;
    }
    if (!entry.strip) {
        if (auto* main = qobject_cast<QMainWindow*>(widget)) {
            entry.strip = new MenuBarStrip(window, main);
            main->setMenuWidget(entry.strip);
            entry.strip->show(); // a window already on screen does not show new children
        } else {
            entry.strip = new MenuBarStrip(window, widget);
            entry.strip->show();
            entry.strip->raise();
        }
    }
    entry.strip->refresh();
    return true;
}

HMENU getMenu(HWND window) {
    const auto& table = windowMenus();
    const auto it = table.find(window);
    return it == table.end() ? 0 : it->second.bar;
}

bool drawMenuBar(HWND window) {
    MenuBarStrip* strip = menuBarOf(window);
    if (!strip)
        return false;
    strip->refresh();
    return true;
}

MenuBarStrip* menuBarOf(HWND window) {
    const auto& table = windowMenus();
    const auto it = table.find(window);
    return it == table.end() ? nullptr : it->second.strip.data();
}

HMENU getSystemMenu(HWND window, bool revert) {
    if (!isWindow(window))
        return 0;
    WindowMenus& entry = windowMenus()[window];
    if (revert) {
        if (isMenu(entry.system))
            destroyMenu(entry.system);
        entry.system = 0;
        return 0;
    }
    if (!isMenu(entry.system))
        entry.system = makeSystemMenu();
    return entry.system;
}

bool applySystemCommand(HWND window, WPARAM command) {
    QWidget* widget = widgetOf(window);
    if (!widget)
        return false;
    switch (UINT(command) & 0xFFF0) {
    case SC::CLOSE:
        widget->close();
        return true;
    case SC::MINIMIZE:
        widget->showMinimized();
        return true;
    case SC::MAXIMIZE:
        widget->showMaximized();
        return true;
    case SC::RESTORE:
        widget->showNormal();
        return true;
    default:
        return false;
    }
}

} // namespace quorvane::User

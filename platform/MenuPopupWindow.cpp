#include "platform/MenuPopupWindow.h"

#include "platform/Canvas.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace quorvane {
namespace {

constexpr int kFrame = 3;       // the popup's border on each side
constexpr int kCheckWidth = 12; // Windows adds the check-mark width to owner-drawn items
constexpr int kSeparatorHeight = 9;
constexpr int kHitMenu = 5; // HTMENU

bool ownerDrawn(const User::MenuItemInfo& info) {
    return info.type & MF::OWNERDRAW;
}

} // namespace

MenuPopupWindow::MenuPopupWindow(HMENU menu, HWND owner, MenuPopupWindow* parentLevel, int position)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), m_menu(menu), m_owner(owner),
      m_parentLevel(parentLevel), m_position(position) {
    setObjectName(QStringLiteral("MenuPopupWindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_hover.setSingleShot(true);
    m_hover.setInterval(kHoverDelayMs);
    QObject::connect(&m_hover, &QTimer::timeout, this, [this] { hoverElapsed(); });
}

MenuPopupWindow::~MenuPopupWindow() = default;

MenuPopupWindow* MenuPopupWindow::root() {
    MenuPopupWindow* level = this;
    while (level->m_parentLevel)
        level = level->m_parentLevel;
    return level;
}

MenuPopupWindow* MenuPopupWindow::deepest() {
    MenuPopupWindow* level = this;
    while (level->m_child)
        level = level->m_child.get();
    return level;
}

MenuPopupWindow* MenuPopupWindow::levelAt(const QPoint& global) {
    for (MenuPopupWindow* level = deepest(); level; level = level->m_parentLevel)
        if (level->isVisible() && level->geometry().contains(global))
            return level;
    return nullptr;
}

bool MenuPopupWindow::alive() {
    // The owner may destroy the menu while it is open; then nothing of it is used again.
    if (User::isMenu(m_menu))
        return true;
    cancel();
    return false;
}

void MenuPopupWindow::measure() {
    m_items.clear();
    const int count = User::getMenuItemCount(m_menu);
    QFont font = QGuiApplication::font();
    const QFontMetrics metrics(font);
    int width = 0;
    std::vector<QSize> sizes;
    for (int i = 0; i < count; ++i) {
        Item item;
        User::getMenuItemInfo(m_menu, UINT(i), true, item.info);
        QSize size;
        if (ownerDrawn(item.info)) {
            MEASUREITEMSTRUCT mis;
            mis.itemID = item.info.id;
            User::sendMessage(m_owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
            if (!alive())
                return;
            size = QSize(int(mis.itemWidth) + kCheckWidth, int(mis.itemHeight));
        } else if (item.info.type & MF::SEPARATOR) {
            size = QSize(0, kSeparatorHeight);
        } else if (item.info.type & MF::BITMAP) {
            size = item.info.bitmap.size() + QSize(kCheckWidth * 2, 0);
        } else {
            QString text = item.info.text;
            text.replace(u'\t', QStringLiteral("    "));
            size = QSize(metrics.horizontalAdvance(text) + kCheckWidth * 3, metrics.height() + 4);
        }
        width = std::max(width, size.width());
        sizes.push_back(size);
        m_items.push_back(item);
    }
    // Item rectangles are in client coordinates, inside the border.
    int y = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        m_items[i].rect = QRect(0, y, width, sizes[i].height());
        y += sizes[i].height();
    }
    resize(width + 2 * kFrame, y + 2 * kFrame);
    m_picture = QImage(std::max(1, width), std::max(1, y), QImage::Format_RGB32);
    m_picture.fill(toQColor(clMenu).rgb());
    m_frame = QImage(size(), QImage::Format_RGB32);
    m_frame.fill(toQColor(clMenu).rgb());
    QPainter frame(&m_frame);
    const QRect r = m_frame.rect();
    frame.setPen(toQColor(clBtnHighlight));
    frame.drawLine(r.left(), r.top(), r.right(), r.top());
    frame.drawLine(r.left(), r.top(), r.left(), r.bottom());
    frame.setPen(toQColor(clBtnShadow));
    frame.drawLine(r.right(), r.top(), r.right(), r.bottom());
    frame.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

QRect MenuPopupWindow::itemRect(int index) const {
    return index >= 0 && index < itemCount()
               ? m_items[size_t(index)].rect.translated(kFrame, kFrame)
               : QRect();
}

void MenuPopupWindow::paintItem(int index) {
    Item& item = m_items[size_t(index)];
    const User::MenuItemInfo& info = item.info;
    const UINT state = User::drawItemState(info, index == m_selected);
    Canvas dc(m_picture);
    if (ownerDrawn(info)) {
        User::sendDrawItem(m_owner, m_menu, info, state, dc, item.rect);
        return;
    }
    const bool selected = state & ODS::SELECTED;
    dc.fillRect(item.rect, {BrushStyle::Solid, selected ? clHighlight : clMenu});
    if (info.type & MF::SEPARATOR) {
        const int middle = item.rect.center().y();
        dc.setPen({PenStyle::Solid, 1, clBtnShadow});
        dc.moveTo(item.rect.left() + 1, middle);
        dc.lineTo(item.rect.right(), middle);
        dc.setPen({PenStyle::Solid, 1, clBtnHighlight});
        dc.moveTo(item.rect.left() + 1, middle + 1);
        dc.lineTo(item.rect.right(), middle + 1);
        return;
    }
    if (info.type & MF::BITMAP) {
        dc.draw(item.rect.left() + kCheckWidth, item.rect.top(), info.bitmap);
        return;
    }
    dc.setBkMode(BkMode::Transparent);
    dc.setTextColour(state & ODS::DISABLED ? clGrayText
                                           : (selected ? clHighlightText : clMenuText));
    const QStringList parts = info.text.split(u'\t');
    QRect text = item.rect.adjusted(kCheckWidth * 2, 0, -kCheckWidth, 0);
    dc.drawText(parts.value(0), text, DT::SINGLELINE | DT::VCENTER);
    if (parts.size() > 1)
        dc.drawText(parts.value(1), text, DT::SINGLELINE | DT::VCENTER | DT::RIGHT);
}

void MenuPopupWindow::place(QPoint topLeft, int alternativeX, const QPoint& anchor) {
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        // A sub-menu that does not fit on the right opens on the left of its parent.
        if (alternativeX != topLeft.x() && topLeft.x() + width() > area.right() + 1)
            topLeft.setX(alternativeX);
        topLeft.setX(std::clamp(topLeft.x(), area.left(),
                                std::max(area.left(), area.right() - width() + 1)));
        if (topLeft.y() + height() > area.bottom() + 1)
            topLeft.ry() -= m_parentLevel ? topLeft.y() + height() - area.bottom() - 1 : height();
        topLeft.setY(std::max(topLeft.y(), area.top()));
    }
    move(topLeft);
    for (int i = 0; i < itemCount() && alive(); ++i)
        paintItem(i);
    if (!root()->m_done && alive())
        show();
}

UINT MenuPopupWindow::track(UINT flags, const QPoint& at) {
    User::sendMessage(m_owner, WM_ENTERMENULOOP, 1, 0);
    if (alive())
        User::sendMessage(m_owner, WM_INITMENUPOPUP, m_menu, makeLParam(0, 0));
    if (alive())
        measure();
    if (!alive() || m_done) {
        User::sendMessage(m_owner, WM_EXITMENULOOP, 1, 0);
        return 0;
    }
    QPoint topLeft = at;
    if (flags & TPM::RIGHTALIGN)
        topLeft.rx() -= width();
    else if (flags & TPM::CENTERALIGN)
        topLeft.rx() -= width() / 2;
    place(topLeft, topLeft.x(), at);
    if (!m_done && alive())
        m_loop.exec();
    closeSubMenu();
    m_closing = true;
    hide();
    if (User::isMenu(m_menu))
        User::sendMessage(m_owner, WM_UNINITMENUPOPUP, m_menu, 0);
    // The menu-close report: no menu, flags 0xFFFF.
    User::sendMessage(m_owner, WM_MENUSELECT, makeWParam(0, 0xFFFF), 0);
    User::sendMessage(m_owner, WM_EXITMENULOOP, 1, 0);
    m_closed.clear();
    return m_chosen;
}

void MenuPopupWindow::cancel() {
    if (m_parentLevel)
        return root()->cancel();
    m_done = true;
    if (m_loop.isRunning())
        m_loop.quit();
}

void MenuPopupWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_frame);
    painter.drawImage(kFrame, kFrame, m_picture);
}

bool MenuPopupWindow::selectable(int index) const {
    return index >= 0 && index < itemCount() && !(m_items[size_t(index)].info.type & MF::SEPARATOR);
}

bool MenuPopupWindow::opensSubMenu(int index) const {
    if (!selectable(index))
        return false;
    const User::MenuItemInfo& info = m_items[size_t(index)].info;
    return info.subMenu && User::isMenu(info.subMenu) &&
           !(info.state & (MF::GRAYED | MF::DISABLED));
}

int MenuPopupWindow::itemAt(const QPoint& point) const {
    for (int i = 0; i < itemCount(); ++i)
        if (m_items[size_t(i)].rect.contains(point - QPoint(kFrame, kFrame)))
            return i;
    return -1;
}

void MenuPopupWindow::select(int index) {
    if (index == m_selected || !alive())
        return;
    const int previous = m_selected;
    m_selected = index;
    if (previous >= 0)
        paintItem(previous);
    if (!alive())
        return;
    if (index >= 0) {
        const User::MenuItemInfo& info = m_items[size_t(index)].info;
        UINT itemFlags = info.state | info.type;
        int id = int(info.id);
        if (info.subMenu) {
            itemFlags |= MF::POPUP;
            id = index;
        }
        User::sendMessage(m_owner, WM_MENUSELECT, makeWParam(id, int(itemFlags & 0xFFFF)),
                          LPARAM(m_menu));
        if (!alive())
            return;
        paintItem(index);
    }
    update();
}

void MenuPopupWindow::choose(int index) {
    if (!selectable(index))
        return;
    const User::MenuItemInfo& info = m_items[size_t(index)].info;
    if (info.state & (MF::GRAYED | MF::DISABLED) || info.subMenu)
        return;
    root()->m_chosen = info.id;
    cancel();
}

void MenuPopupWindow::openSubMenu(int index, bool selectFirst) {
    m_hover.stop();
    if (m_child && m_child->m_position == index)
        return;
    closeSubMenu();
    if (!opensSubMenu(index) || root()->m_done)
        return;
    const HMENU subMenu = m_items[size_t(index)].info.subMenu;
    // Built before the owner hears of it, so that a cancel from its answer reaches the loop.
    m_child = std::make_unique<MenuPopupWindow>(subMenu, m_owner, this, index);
    MenuPopupWindow* child = m_child.get();
    User::sendMessage(m_owner, WM_INITMENUPOPUP, subMenu, makeLParam(index, 0));
    if (m_child.get() != child || !child->alive())
        return;
    child->measure();
    if (m_child.get() != child || !child->alive())
        return;
    const QRect entry = itemRect(index).translated(geometry().topLeft());
    child->place(QPoint(geometry().right() + 1 - kFrame, entry.top() - kFrame),
                 geometry().left() - child->width() + kFrame, entry.center());
    if (m_child.get() == child && selectFirst)
        child->step(1);
}

void MenuPopupWindow::closeSubMenu() {
    m_hover.stop();
    if (!m_child)
        return;
    m_child->closeSubMenu();
    MenuPopupWindow* child = m_child.get();
    // Kept until the menu closes: the level may be the one whose event is being handled.
    root()->m_closed.push_back(std::move(m_child));
    child->m_closing = true;
    child->hide();
    if (User::isMenu(child->m_menu))
        User::sendMessage(m_owner, WM_UNINITMENUPOPUP, child->m_menu, 0);
}

void MenuPopupWindow::pointerAt(const QPoint& local) {
    // The entries that lead here stay selected while the pointer is on this level.
    for (MenuPopupWindow* level = this; level->m_parentLevel; level = level->m_parentLevel) {
        level->m_parentLevel->m_hover.stop();
        level->m_parentLevel->select(level->m_position);
    }
    const int index = itemAt(local);
    // Off the entries, a level keeps the entry whose sub-menu is open.
    if (index < 0 && m_child)
        return;
    select(selectable(index) ? index : -1);
    if (m_child && m_child->m_position == index) {
        m_hover.stop();
        return;
    }
    if (m_child || opensSubMenu(index)) {
        m_hoverIndex = index;
        m_hover.start();
    }
}

void MenuPopupWindow::hoverElapsed() {
    if (m_selected != m_hoverIndex || !alive() || (m_child && m_child->m_position == m_hoverIndex))
        return;
    closeSubMenu();
    openSubMenu(m_hoverIndex, false);
}

void MenuPopupWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (MenuPopupWindow* level = root()->levelAt(global)) {
        // Menu mode: the cursor request carries no mouse message.
        User::sendMessage(m_owner, WM_SETCURSOR, User::handleOf(level), makeLParam(kHitMenu, 0));
        if (level->alive())
            level->pointerAt(level->mapFromGlobal(global));
    } else if (MenuPopupWindow* last = deepest(); !last->m_child)
        last->select(-1);
}

void MenuPopupWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    MenuPopupWindow* level = root()->levelAt(global);
    // A click outside every level closes the menu.
    if (!level)
        return cancel();
    const int index = level->itemAt(level->mapFromGlobal(global));
    if (level->selectable(index))
        level->select(index);
    if (level->opensSubMenu(index))
        level->openSubMenu(index, false);
    else if (level->m_child && index >= 0)
        level->closeSubMenu();
}

void MenuPopupWindow::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    MenuPopupWindow* level = root()->levelAt(global);
    if (!level)
        return;
    const int index = level->itemAt(level->mapFromGlobal(global));
    if (level->opensSubMenu(index))
        level->openSubMenu(index, false);
    else
        level->choose(index);
}

void MenuPopupWindow::step(int direction) {
    // Separators are passed over; disabled entries are selected but cannot be chosen.
    const int count = itemCount();
    for (int n = 1; n <= count; ++n) {
        const int start = m_selected < 0 ? (direction > 0 ? -1 : count) : m_selected;
        const int index = (start + direction * n + count * 2) % count;
        if (selectable(index))
            return select(index);
    }
}

void MenuPopupWindow::requestHelp() {
    if (!selectable(m_selected))
        return;
    const User::MenuItemInfo& info = m_items[size_t(m_selected)].info;
    HELPINFO help;
    // An entry that opens a sub-menu is known by that menu, like the others by their command.
    help.iCtrlId = info.subMenu ? 0 : int(info.id);
    help.hItemHandle = info.subMenu ? info.subMenu : m_menu;
    help.MousePos = QCursor::pos();
    User::sendMessage(m_owner, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
}

void MenuPopupWindow::keyPressEvent(QKeyEvent* event) {
    // Keys belong to the innermost open level, whichever window Qt gave them to.
    deepest()->handleKey(event);
}

void MenuPopupWindow::handleKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        // Escape closes one level; on the first it closes the menu.
        if (m_parentLevel)
            m_parentLevel->closeSubMenu();
        else
            cancel();
        return;
    case Qt::Key_Left:
        if (m_parentLevel)
            m_parentLevel->closeSubMenu();
        return;
    case Qt::Key_Right:
        if (opensSubMenu(m_selected))
            openSubMenu(m_selected, true);
        return;
    case Qt::Key_Down:
        step(1);
        return;
    case Qt::Key_Up:
        step(-1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (opensSubMenu(m_selected))
            openSubMenu(m_selected, true);
        else
            choose(m_selected);
        return;
    case Qt::Key_F1:
        requestHelp();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || !text[0].isPrint())
        return;
    const LRESULT answer = User::sendMessage(
        m_owner, WM_MENUCHAR, makeWParam(text[0].unicode(), MF::POPUP), LPARAM(m_menu));
    if (!alive())
        return;
    const int index = loWord(quintptr(answer));
    switch (hiWord(quintptr(answer))) {
    case MNC_EXECUTE:
        select(index);
        if (opensSubMenu(index))
            openSubMenu(index, true);
        else
            choose(index);
        break;
    case MNC_SELECT:
        select(index);
        break;
    case MNC_CLOSE:
        cancel();
        break;
    default:
        break;
    }
}

void MenuPopupWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!m_closing)
        cancel(); // closed by the system (a click elsewhere)
}

} // namespace quorvane

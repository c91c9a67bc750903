#include "widgets/kit/VyrMenus.h"
#include "widgets/kit/VyrMenuActions.h"
#include "widgets/kit/VyrMenuState.h"

#include "framework/TMainMenu.h"
#include "platform/MenuBar.h"

#include "framework/TImageList.h"
#include "platform/HandlerGuard.h"

#include <QApplication>
#include <QWidget>

#include <vector>

namespace quorvane {
using namespace kitmenu;
namespace {

// Command numbers in use; a new item takes the lowest free one.
std::vector<bool>& commandPool() {
    static std::vector<bool> pool;
    return pool;
}
quint16 takeCommand() {
    auto& pool = commandPool();
    auto it = std::find(pool.begin(), pool.end(), false);
    if (it == pool.end())
        it = pool.insert(pool.end(), false);
    *it = true;
    return quint16(it - pool.begin());
}
void giveBack(quint16 command) {
    if (command != 0 && command < commandPool().size())
        commandPool()[command] = false;
}

} // namespace

// Shared with the message handling in VyrMenuMessages.cpp.
namespace kitmenu {
HHOOK g_shortcutHook = 0;
HMENU g_menuLoop = 0;
QString g_hint;
std::vector<TVyrMenu*>& liveMenus() {
    static std::vector<TVyrMenu*> menus;
    return menus;
}
} // namespace kitmenu

// ---- settings objects ----

void TVyrMenuGradient::setActive(bool on) {
    if (on != m_active)
        m_active = on, Q_EMIT OnChange();
}
void TVyrMenuGradient::setFadeToColor(ColorRef colour) {
    if (colour != m_fadeTo)
        m_fadeTo = colour, Q_EMIT OnChange();
}
void TVyrMenuGradient::setColorCount(int count) {
    count = std::clamp(count, 0, 255);
    if (count != m_colorCount)
        m_colorCount = count, Q_EMIT OnChange();
}

void TVyrBitmapItem::setCaptionOnTop(bool on) {
    if (on != m_captionOnTop)
        m_captionOnTop = on, Q_EMIT OnChange();
}
void TVyrBitmapItem::setBitmap(const QImage& picture) {
    m_bitmap = picture;
    Q_EMIT OnChange();
}
void TVyrBitmapItem::setTransparentColor(ColorRef colour) {
    if (colour != m_transparent)
        m_transparent = colour, Q_EMIT OnChange();
}

TVyrSubMenu::TVyrSubMenu(QObject* parent)
    : QObject(parent), m_gradient(new TVyrMenuGradient(this)) {
    connect(m_gradient, &TVyrMenuGradient::OnChange, this, [this] { changed(true); });
}

void TVyrSubMenu::changed(bool dropCache) {
    if (dropCache)
        dropBarCache();
    Q_EMIT OnChange();
}

void TVyrSubMenu::setEnabled(bool on) {
    m_enabled = on;
    changed(true);
}
void TVyrSubMenu::setColor(ColorRef colour) {
    if (colour != m_color)
        m_color = colour, changed(false);
}
void TVyrSubMenu::setBackground(const QImage& picture) {
    m_background = picture;
    changed(true);
}
void TVyrSubMenu::setBackgroundType(TVyrBackgroundType type) {
    if (type != m_backgroundType)
        m_backgroundType = type, changed(false);
}
void TVyrSubMenu::setTransparentColor(ColorRef colour) {
    if (colour != m_transparent)
        m_transparent = colour, changed(false);
}
void TVyrSubMenu::setBarEnabled(bool on) {
    if (on != m_barEnabled)
        m_barEnabled = on, changed(false);
}
void TVyrSubMenu::setBarWidth(int width) {
    width = std::clamp(width, 1, 40);
    if (width != m_barWidth)
        m_barWidth = width, changed(false);
}
void TVyrSubMenu::setBarColor(ColorRef colour) {
    if (colour != m_barColor)
        m_barColor = colour, changed(true);
}
void TVyrSubMenu::setBarBackground(const QImage& picture) {
    m_barBackground = picture;
    changed(true);
}
void TVyrSubMenu::setBarCaption(const QString& caption) {
    if (caption != m_barCaption)
        m_barCaption = caption, changed(true);
}
void TVyrSubMenu::setBarFontname(const QString& face) {
    if (face != m_barFontname)
        m_barFontname = face, changed(true);
}
void TVyrSubMenu::setBarFontSize(int points) {
    points = std::clamp(points, 0, 255);
    if (points != m_barFontSize)
        m_barFontSize = points, changed(true);
}
void TVyrSubMenu::setBarFontColor(ColorRef colour) {
    if (colour != m_barFontColor)
        m_barFontColor = colour, changed(true);
}

// ---- items ----

TVyrMenuItem::TVyrMenuItem(QObject* owner)
    : QAction(owner), m_command(takeCommand()), m_bitmapItem(new TVyrBitmapItem(this)),
      m_details(new TVyrSubMenu(this)) {
    connect(m_details, &TVyrSubMenu::OnChange, this, [this] {
        if (!m_destroying)
            MenuChanged(true);
    });
    connect(m_bitmapItem, &TVyrBitmapItem::OnChange, this, [this] {
        if (!m_destroying)
            MenuChanged(true);
    });
    connect(this, &QAction::changed, this, &TVyrMenuItem::syncState);
}

TVyrMenuItem::~TVyrMenuItem() {
    m_destroying = true;
    m_actionLink.reset();
    if (m_parent)
        m_parent->Remove(this);
    if (User::isMenu(m_handle))
        User::destroyMenu(m_handle);
    forgetHandles();
    const std::vector<TVyrMenuItem*> children = m_children;
    for (TVyrMenuItem* child : children) {
        child->m_parent = nullptr;
        delete child;
    }
    if (m_systemItem == sicNone)
        giveBack(m_command);
}

void TVyrMenuItem::setCaption(const QString& caption) {
    if (caption != text())
        setText(caption); // syncState rebuilds
}

void TVyrMenuItem::setDivider(bool on) {
    m_divider = on;
    setSeparator(on);
    if (settled())
        MenuChanged(true);
}

void TVyrMenuItem::setDefault(bool on) {
    if (on && m_parent)
        for (TVyrMenuItem* sibling : m_parent->m_children)
            sibling->m_default = false;
    m_default = on;
    if (settled())
        MenuChanged(true);
}

void TVyrMenuItem::setShortCut(int shortCut) {
    m_shortCut = shortCut & 0xFFFF;
    if (settled())
        MenuChanged(true);
}

void TVyrMenuItem::setShortCutText(const QString& text) {
    setShortCut(textToShortCut(text));
}

// Values below -1 are no image index: the previous one stays.
void TVyrMenuItem::setImageIndex(int index) {
    if (index < -1)
        return;
    m_imageIndex = index;
    if (settled())
        MenuChanged(true);
}
void TVyrMenuItem::setCheckedIndex(int index) {
    if (index < -1)
        return;
    m_checkedIndex = index;
    if (settled())
        MenuChanged(true);
}
void TVyrMenuItem::setDisabledImageIndex(int index) {
    if (index < -1)
        return;
    m_disabledIndex = index;
    if (settled())
        MenuChanged(true);
}

void TVyrMenuItem::setChecked(bool on) {
    if (on == isChecked())
        return;
    setCheckable(true);
    QAction::setChecked(on);
    if (m_parent && m_parent->m_handle)
        User::checkMenuItem(m_parent->m_handle, m_command, on ? MF::CHECKED : 0);
    if (on && m_radioItem)
        uncheckRadioSiblings();
}

void TVyrMenuItem::uncheckRadioSiblings() {
    if (!m_parent)
        return;
    const std::vector<TVyrMenuItem*> siblings = m_parent->m_children;
    for (TVyrMenuItem* sibling : siblings)
        if (sibling != this && sibling->m_radioItem && sibling->m_groupIndex == m_groupIndex)
            sibling->setChecked(false);
}

void TVyrMenuItem::setRadioItem(bool on) {
    if (on == m_radioItem)
        return;
    m_radioItem = on;
    if (on && isChecked())
        uncheckRadioSiblings();
    if (settled())
        MenuChanged(true);
}

TVyrMenuItem::TVyrMenuBreak TVyrMenuItem::menuBreak() const {
    const TVyrMenu* owner = menu();
    return owner && owner->newStyles() ? mbNone : m_break;
}

void TVyrMenuItem::setBreak(TVyrMenuBreak value) {
    const TVyrMenu* owner = menu();
    if (owner && owner->newStyles())
        value = mbNone;
    m_break = value;
    if (settled())
        MenuChanged(true);
}

void TVyrMenuItem::setSystemItem(TVyrSystemItem item) {
    static constexpr UINT kCommands[] = {
        0,        SC::RESTORE, SC::MAXIMIZE,    SC::MINIMIZE, SC::SIZE,
        SC::MOVE, SC::CLOSE,   SC::CONTEXTHELP, SC::TASKLIST, SC::MONITORPOWER};
    if (item == m_systemItem)
        return;
    const bool fromPool = m_systemItem == sicNone;
    m_systemItem = item;
    if (item == sicNone) {
        m_command = takeCommand();
        OnClick = {};
    } else {
        if (fromPool)
            giveBack(m_command);
        m_command = quint16(kCommands[item]);
        const quint16 command = m_command;
        OnClick = TNotifyHandler([this, command](QObject*) {
            if (const TVyrMenu* owner = menu(); owner && owner->window())
                User::sendMessage(owner->window(), WM_SYSCOMMAND, command, LPARAM(-1));
        });
    }
    MenuChanged(true);
}

void TVyrMenuItem::setGroupIndex(int index) {
    index = std::clamp(index, 0, 255);
    if (index == m_groupIndex)
        return;
    if (m_parent) {
        const int position = MenuIndex();
        for (int i = 0; i < position; ++i)
            if (m_parent->m_children[size_t(i)]->m_groupIndex > index)
                throw EVyrMenuError(
                    "GroupIndex cannot be less than a previous menu item's GroupIndex");
        for (int i = position + 1; i < m_parent->Count(); ++i) {
            int& later = m_parent->m_children[size_t(i)]->m_groupIndex;
            later = std::max(later, index);
        }
    }
    m_groupIndex = index;
}

void TVyrMenuItem::setMenuIndex(int index) {
    if (!m_parent)
        return;
    TVyrMenuItem* parent = m_parent;
    index = std::clamp(index, 0, parent->Count() - 1);
    const int current = MenuIndex();
    if (index == current)
        return;
    // Siblings keep their GroupIndex order, so the insertion cannot be refused.
    parent->Remove(this);
    parent->Insert(index, this);
}

QObject* TVyrMenuItem::parentComponent() const {
    if (m_parent && !m_parent->m_parent && m_parent->ownerMenu)
        return m_parent->ownerMenu;
    return m_parent;
}

void TVyrMenuItem::setParentComponent(QObject* parent) {
    TVyrMenuItem* target = nullptr;
    if (auto* owner = qobject_cast<TVyrMenu*>(parent))
        target = owner->Items();
    else
        target = qobject_cast<TVyrMenuItem*>(parent);
    if (target == m_parent)
        return;
    if (m_parent)
        m_parent->Remove(this);
    if (target)
        target->Add(this);
}

void TVyrMenuItem::Loaded() {
    m_loading = false;
    if (m_actionLink && m_actionLink->action())
        actionChange(m_actionLink->action(), true);
}

// Enabled, Visible and Caption live in the action; their changes reach the native menu here.
void TVyrMenuItem::syncState() {
    if (m_destroying)
        return;
    const bool textChanged = text() != m_appliedText,
               visibleChanged = isVisible() != m_appliedVisible;
    const bool enabledChanged = isEnabled() != m_appliedEnabled;
    m_appliedText = text();
    m_appliedVisible = isVisible();
    m_appliedEnabled = isEnabled();
    if (visibleChanged || (textChanged && settled())) {
        MenuChanged(true);
    } else if (enabledChanged && Count() > 0) {
        // The entry of an item with children is built again, sub-menu and state together.
        MenuChanged(true);
    } else if (enabledChanged) {
        if (m_parent && m_parent->m_handle)
            User::enableMenuItem(m_parent->m_handle, m_command,
                                 isEnabled() ? MF::ENABLED : MF::GRAYED | MF::DISABLED);
        MenuChanged(false);
    }
}

void TVyrMenuItem::Insert(int index, TVyrMenuItem* item) {
    if (item->m_parent)
        throw EVyrMenuError("Menu inserted twice");
    index = std::clamp(index, 0, Count());
    int group = item->m_groupIndex;
    if (index > 0 && m_children[size_t(index - 1)]->m_groupIndex > group)
        group = m_children[size_t(index - 1)]->m_groupIndex;
    for (int i = 0; i < index; ++i)
        if (m_children[size_t(i)]->m_groupIndex > group)
            throw EVyrMenuError("GroupIndex cannot be less than a previous menu item's GroupIndex");
    item->m_groupIndex = group;
    for (int i = index; i < Count(); ++i)
        m_children[size_t(i)]->m_groupIndex = std::max(m_children[size_t(i)]->m_groupIndex, group);
    m_children.insert(m_children.begin() + index, item);
    item->m_parent = this;
    if (m_handle)
        rebuild();
    if (Count() == 1)
        MenuChanged(true);
}

void TVyrMenuItem::Add(TVyrMenuItem* item) {
    Insert(Count(), item);
    if (!m_destroying) {
        MenuChanged(true);
        dropBarCache();
    }
}

void TVyrMenuItem::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EVyrMenuError("Menu index out of range");
    TVyrMenuItem* child = m_children[size_t(index)];
    m_children.erase(m_children.begin() + index);
    child->m_parent = nullptr;
    if (m_handle)
        rebuild();
    if (Count() == 0)
        MenuChanged(true);
}

void TVyrMenuItem::Remove(TVyrMenuItem* item) {
    const int index = IndexOf(item);
    if (index < 0)
        throw EVyrMenuError("Sub-menu is not in menu");
    Delete(index);
    if (!m_destroying)
        MenuChanged(true);
}

int TVyrMenuItem::IndexOf(const TVyrMenuItem* item) const {
    const auto it = std::find(m_children.begin(), m_children.end(), item);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

TVyrMenuItem* TVyrMenuItem::item(int index) const {
    if (index < 0 || index >= Count())
        throw EVyrMenuError("Menu index out of range");
    return m_children[size_t(index)];
}

int TVyrMenuItem::MenuIndex() const {
    return m_parent ? m_parent->IndexOf(this) : -1;
}

TVyrMenu* TVyrMenuItem::menu() const {
    const TVyrMenuItem* item = this;
    while (item->m_parent)
        item = item->m_parent;
    return item->ownerMenu;
}

HMENU TVyrMenuItem::Handle() {
    if (m_handle && User::isMenu(m_handle))
        return m_handle;
    // The root of a popup or form menu is a popup; a menu bar and the sub-menus are plain.
    const bool popup = ownerMenu && ownerMenu->m_kind != TVyrMenu::Kind::Main;
    m_handle = popup ? User::createPopupMenu() : User::createMenu();
    if (!m_handle)
        throw EVyrMenuError("Out of system resources");
    for (TVyrMenuItem* child : m_children)
        appendChild(child);
    return m_handle;
}

void TVyrMenuItem::forgetHandles() {
    m_handle = 0;
    for (TVyrMenuItem* child : m_children)
        child->forgetHandles();
}

void TVyrMenuItem::appendChild(TVyrMenuItem* child) {
    if (!child->isVisible())
        return;
    const TVyrMenu* owner = menu();
    const bool newStyles = !owner || owner->newStyles();
    User::MenuItemInfo info;
    info.text = child->caption();
    if (child->Count() > 0)
        info.subMenu = child->Handle();
    else if (child->m_shortCut != 0 && !child->mainBarItem())
        info.text += u'\t' + shortCutToText(child->m_shortCut);
    if (child->m_bitmapItem->hasPicture())
        info.bitmap = child->m_bitmapItem->bitmap();
    info.type = child->nativeType(newStyles, true);
    info.state = child->nativeState();
    info.id = child->m_command;
    User::insertMenuItem(m_handle, 0xFFFFFFFFu, true, info);
}

UINT TVyrMenuItem::nativeType(bool newStyles, bool pictureAsBitmap) const {
    const TVyrMenuBreak columnBreak = menuBreak();
    return (pictureAsBitmap && m_bitmapItem->hasPicture() ? MF::BITMAP : 0) |
           (m_radioItem ? MF::RADIOCHECK : 0) | (columnBreak == mbBreak ? MF::MENUBREAK : 0) |
           (columnBreak == mbBarBreak ? MF::MENUBARBREAK : 0) | (m_divider ? MF::SEPARATOR : 0) |
           (newStyles ? MF::OWNERDRAW : 0);
}

UINT TVyrMenuItem::nativeState() const {
    return (isChecked() ? MF::CHECKED : 0) | (isEnabled() ? 0 : MF::GRAYED | MF::DISABLED) |
           (m_default ? MF::DEFAULT : 0);
}

void TVyrMenuItem::rebuild() {
    while (User::getMenuItemCount(m_handle) > 0)
        User::removeMenu(m_handle, 0, MF::BYPOSITION);
    for (TVyrMenuItem* child : m_children)
        appendChild(child);
    MenuChanged(false);
}

void TVyrMenuItem::MenuChanged(bool rebuildMenu) {
    if (m_destroying)
        return;
    if (m_parent) {
        if (rebuildMenu && m_parent->m_handle)
            m_parent->rebuild();
        else
            m_parent->MenuChanged(false);
    } else if (ownerMenu) {
        ownerMenu->MenuChanged(this, rebuildMenu);
    }
}

// ---- menus ----

TVyrMenu::TVyrMenu(QWidget* owner) : TVyrMenu(owner, Kind::Popup) {}

TVyrMenu::TVyrMenu(QWidget* owner, Kind kind)
    : TPopupMenu(owner), m_kind(kind), m_root(new TVyrMenuItem(this)) {
    m_root->ownerMenu = this;
    m_root->setObjectName(QStringLiteral("Items"));
    connect(m_root, &QAction::triggered, this, [this] { DoPopup(this); });
    if (kind != Kind::Popup && !owner)
        throw EDuplicateMainMenu(std::string(kind == Kind::Main ? "TVyrMainMenu" : "TVyrFormMenu") +
                                 " needs to reside on a TWincontrol Descendant");
    m_window = determineWindow();
    m_hook = TVyrMenuHookList::instance().Add(this, owner, kind != Kind::Popup);
    m_hook->BeforeMessage = [this](TMessage& msg, bool& handled) {
        HandleMenuMessage(msg, handled);
    };
    m_hook->BeforeReload = [this](QObject*) {
        if (!m_destroying)
            beforeReload();
    };
    m_hook->OnReloadMenuHook = [this](QObject*) {
        if (!m_destroying)
            afterReload();
    };
    if (owner)
        m_placementCheck = TMainMenu::addPlacementCheck([this](TMainMenu*, QObject* placedOn) {
            if (placedOn == parent())
                throw std::runtime_error(
                    "You can not use a TMainMenu in conjunction with TVyrMainMenu ");
        });
    if (!g_shortcutHook)
        g_shortcutHook = User::setWindowsHookEx(User::WH_GETMESSAGE, ShortcutHook);
    liveMenus().push_back(this);
}

TVyrMenu::~TVyrMenu() {
    m_destroying = true;
    if (m_placementCheck)
        TMainMenu::removePlacementCheck(m_placementCheck);
    auto& menus = liveMenus();
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
    // The remaining menus keep their shortcuts; the hook goes with the last one.
    if (menus.empty() && g_shortcutHook) {
        User::unhookWindowsHookEx(g_shortcutHook);
        g_shortcutHook = 0;
    }
    if (g_menuLoop && g_menuLoop == m_root->m_handle)
        g_menuLoop = 0;
    TVyrMenuHookList::instance().Remove(this);
    m_hook = nullptr;
    delete m_root;
    m_root = nullptr;
}

HWND TVyrMenu::determineWindow() const {
    // Popup menus get their messages through the program's hidden window, a menu bar and a
    // system menu through their form's.
    auto* owner = qobject_cast<QWidget*>(parent());
    if (!owner)
        return 0;
    return m_kind == Kind::Popup ? User::applicationWindow() : User::handleOf(owner);
}

void TVyrMenu::Loaded() {
    m_hook->ReHook();
}

void TVyrMenu::afterReload() {
    if (m_window)
        User::sendMessage(m_window, WM_VYRMENUCHANGED);
}

HMENU TVyrMenu::menuLoopHandle() {
    return g_menuLoop;
}

QString TVyrMenu::applicationHint() {
    return g_hint;
}

void TVyrMenu::setImages(TImageList* images) {
    m_images = images;
    if (m_window)
        User::sendMessage(m_window, WM_VYRMENUCHANGED);
}

void TVyrMenu::setMenuFont(const LogFont& font) {
    m_menuFont = font;
    if (m_window)
        User::sendMessage(m_window, WM_VYRMENUCHANGED);
}
void TVyrMenu::setSelectedFont(const LogFont& font) {
    m_selectedFont = font;
    if (m_window)
        User::sendMessage(m_window, WM_VYRMENUCHANGED);
}
void TVyrMenu::setDividerFont(const LogFont& font) {
    m_dividerFont = font;
    if (m_window)
        User::sendMessage(m_window, WM_VYRMENUCHANGED);
}

void TVyrMenu::setNewStyles(bool on) {
    m_newStyles = on;
    RefreshItemStyles();
}

TVyrMenuItem* TVyrMenu::addItem(const QString& name, const QString& caption) {
    auto* item = new TVyrMenuItem(this);
    item->setObjectName(name);
    item->setCaption(caption);
    m_root->Add(item);
    addAction(item); // the framework's list of the menu's top-level actions
    return item;
}

void TVyrMenu::DoPopup(QObject* sender) {
    if (OnPopup)
        OnPopup(sender);
}

TVyrMenuItem* TVyrMenu::FindItem(quintptr value, FindKind kind) const {
    return m_root->findBelow([&](const TVyrMenuItem* item) {
        return (kind == fkCommand && item->m_command == value) ||
               (kind == fkHandle && item->m_handle == value) ||
               (kind == fkShortCut && quintptr(item->m_shortCut) == value);
    });
}

bool TVyrMenu::DispatchCommand(quint16 command) {
    TVyrMenuItem* item = FindItem(command, fkCommand);
    if (!item)
        return false;
    item->Click();
    return true;
}

bool TVyrMenu::DispatchPopup(HMENU handle) {
    // The root is not searched: Popup has raised OnPopup already, and the menu's own
    // popup must not raise it a second time.
    TVyrMenuItem* item = FindItem(handle, fkHandle);
    // Actions get their chance to update what is about to show.
    const std::vector<TVyrMenuItem*> items = (item ? item : m_root)->m_children;
    for (TVyrMenuItem* child : items)
        child->InitiateAction();
    if (!item)
        return false;
    item->Click();
    return true;
}

int TVyrMenu::GetHelpContext(quintptr value, bool byCommand) {
    if (!byCommand && m_kind != Kind::Main && m_root->m_handle && value == m_root->m_handle)
        return m_root->helpContext();
    for (TVyrMenuItem* item = FindItem(value, byCommand ? fkCommand : fkHandle); item;
         item = item->m_parent)
        if (item->helpContext() != 0)
            return item->helpContext();
    return 0;
}

void TVyrMenu::RefreshItemStyles() {
    if (!m_root->m_handle)
        return;
    // Every item, parent before children; the walk accepts none, so it visits them all.
    m_root->findBelow([&](TVyrMenuItem* item) {
        User::MenuItemInfo info;
        if (User::getMenuItemInfo(m_root->m_handle, item->m_command, false, info)) {
            info.type = item->nativeType(m_newStyles, !m_newStyles);
            info.state = item->nativeState();
            if (!m_newStyles && !item->m_bitmapItem->hasPicture())
                info.text = item->mainBarItem()
                                ? item->caption()
                                : item->caption() + u'\t' + shortCutToText(item->m_shortCut);
            User::setMenuItemInfo(m_root->m_handle, item->m_command, false, info);
        }
        return false;
    });
}

TVyrPopupMenu::TVyrPopupMenu(QWidget* owner) : TVyrPopupMenu(owner, Kind::Popup) {}

TVyrPopupMenu::TVyrPopupMenu(QWidget* owner, Kind kind)
    : TVyrMenu(owner, kind), m_popupDetails(new TVyrSubMenu(this)),
      m_rootDetails(Items()->subMenuDetails()) {
    // From its first change on, PopupDetails is the look of the top-level popup.
    connect(m_popupDetails, &TVyrSubMenu::OnChange, this, [this] {
        Items()->setSubMenuDetails(m_popupDetails);
        dropBarCache();
    });
}

TVyrPopupMenu::~TVyrPopupMenu() {
    Items()->setSubMenuDetails(m_rootDetails);
}

} // namespace quorvane

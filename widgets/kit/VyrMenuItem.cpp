#include "widgets/kit/VyrMenuItem.h"
#include "widgets/kit/VyrMainMenu.h"
#include "widgets/kit/VyrMenuActionLink.h"
#include "widgets/kit/VyrMenuErrors.h"
#include "widgets/kit/VyrMenuState.h"

#include "platform/MenuBar.h"

#include <algorithm>

namespace quorvane {

TVyrMenuItem::TVyrMenuItem(QObject* owner)
    : QAction(owner), m_command(TVyrMenuState::instance().takeCommand()),
      m_bitmapItem(new TVyrBitmapItem(this)), m_details(new TVyrSubMenu(this)) {
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
        TVyrMenuState::instance().giveBack(m_command);
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
        m_command = TVyrMenuState::instance().takeCommand();
        OnClick = {};
    } else {
        if (fromPool)
            TVyrMenuState::instance().giveBack(m_command);
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
        TVyrMenuState::instance().dropBarCache();
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
    forEachBelow([](TVyrMenuItem* item) { item->m_handle = 0; });
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

bool TVyrMenuItem::mainBarItem() const {
    return m_parent && !m_parent->m_parent && qobject_cast<TVyrMainMenu*>(m_parent->ownerMenu);
}

// ---- actions ----

TAction* TVyrMenuItem::action() const {
    return m_actionLink ? m_actionLink->action() : nullptr;
}

void TVyrMenuItem::setAction(TAction* action) {
    if (!action) {
        m_actionLink.reset();
        return;
    }
    if (!m_actionLink)
        m_actionLink = std::make_unique<TVyrMenuActionLink>(this);
    m_actionLink->setAction(action);
    // Changes the action reports reach the native menus through the setters; the rest of
    // the item only needs to be shown again.
    m_actionLink->OnChange = [this](TAction*) {
        if (settled())
            MenuChanged(false);
    };
    actionChange(action, m_loading);
}

// Copies the action's values; with checkDefaults only onto properties still at their defaults.
void TVyrMenuItem::actionChange(TAction* action, bool checkDefaults) {
    if (!checkDefaults || caption().isEmpty())
        setCaption(action->caption());
    if (!checkDefaults || !isChecked())
        setChecked(action->checked());
    if (!checkDefaults || isEnabled())
        setEnabled(action->enabled());
    if (!checkDefaults || helpContext() == 0)
        setHelpContext(action->helpContext());
    if (!checkDefaults || hint().isEmpty())
        setHint(action->hint());
    if (!checkDefaults || imageIndex() == -1)
        setImageIndex(action->imageIndex());
    if (!checkDefaults || shortCut() == 0)
        setShortCut(action->shortCut());
    if (!checkDefaults || isVisible())
        setVisible(action->visible());
    if (!checkDefaults || !OnClick)
        OnClick = action->onExecute();
}

void TVyrMenuItem::AssignTo(TAction* action) const {
    action->setEnabled(isEnabled());
    action->setHelpContext(helpContext());
    action->setHint(hint());
    action->setImageIndex(imageIndex());
    action->setCaption(caption());
    action->setVisible(isVisible());
    action->setOnExecute(OnClick);
}

void TVyrMenuItem::InitiateAction() {
    if (m_actionLink)
        m_actionLink->Update();
}

void TVyrMenuItem::Click() {
    if (!isEnabled())
        return;
    TAction* linked = action();
    if (OnClick && (!linked || !(OnClick == linked->onExecute())))
        OnClick(this);
    else if (linked)
        m_actionLink->Execute(this);
    else if (OnClick)
        OnClick(this);
    // Handlers connected to the signal run on every click as well.
    Q_EMIT triggered(isChecked());
}

} // namespace quorvane

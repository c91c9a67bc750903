#include "widgets/kit/VyrMenu.h"
#include "widgets/kit/VyrMenuErrors.h"
#include "widgets/kit/VyrMenuState.h"

#include "framework/TMainMenu.h"
#include "platform/MenuBar.h"
#include "platform/User.h"

#include <QWidget>

namespace quorvane {

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
    TVyrMenuState::instance().addMenu(this);
}

TVyrMenu::~TVyrMenu() {
    m_destroying = true;
    if (m_placementCheck)
        TMainMenu::removePlacementCheck(m_placementCheck);
    TVyrMenuState& state = TVyrMenuState::instance();
    state.removeMenu(this);
    if (state.menuLoop() && state.menuLoop() == m_root->m_handle)
        state.setMenuLoop(0);
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
    return TVyrMenuState::instance().menuLoop();
}

QString TVyrMenu::applicationHint() {
    return TVyrMenuState::instance().hint();
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
    // Every item, parent before children.
    m_root->forEachBelow([&](TVyrMenuItem* item) {
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
    });
}

} // namespace quorvane

// The kit's menu bar: attached to its form's window, taking over a framework menu bar.
#include "widgets/kit/VyrMainMenu.h"
#include "widgets/kit/VyrMenuErrors.h"

#include "framework/TMainMenu.h"
#include "platform/MenuBar.h"

#include <QWidget>

namespace quorvane {

TVyrMainMenu::TVyrMainMenu(QWidget* owner) : TVyrMenu(owner, Kind::Main) {
    TMainMenu* framework = nullptr;
    bool duplicate = false;
    for (QObject* component : owner->children()) {
        if (!framework)
            framework = qobject_cast<TMainMenu*>(component);
        if (component != this && qobject_cast<TVyrMainMenu*>(component))
            duplicate = true;
    }
    // Refused before anything is taken over: the framework menu stays as it was.
    if (duplicate)
        throw EDuplicateMainMenu("You can not have two TVyrMainMenus on the same form");
    if (framework) {
        convert(framework);
        delete framework;
    }
    attach();
    RefreshItemStyles();
    owner->update();
}

TVyrMainMenu::~TVyrMainMenu() {
    // The window must not show a bar whose native menu goes with this menu.
    if (window() && Items()->hasHandle() && User::getMenu(window()) == Items()->m_handle)
        User::setMenu(window(), 0);
    if (auto* owner = qobject_cast<QWidget*>(parent()))
        owner->update();
}

void TVyrMainMenu::convert(TMainMenu* menu) {
    setImages(menu->Images());
    convertItems(menu->Items(), Items());
}

void TVyrMainMenu::convertItems(const TMenuItem* from, TVyrMenuItem* into) {
    for (int i = 0; i < from->Count(); ++i) {
        const TMenuItem* source = from->item(i);
        auto* item = new TVyrMenuItem(parent());
        item->setObjectName(QStringLiteral("Vyr") + source->objectName());
        item->setCaption(source->Caption);
        item->setShortCut(source->ShortCut);
        item->OnClick = source->OnClick;
        item->setChecked(source->Checked);
        item->setEnabled(source->Enabled);
        item->setVisible(source->Visible);
        item->setRadioItem(source->RadioItem);
        item->setGroupIndex(source->GroupIndex);
        item->setHint(source->Hint);
        item->setDefault(source->Default);
        item->setHelpContext(source->HelpContext);
        if (source->Action)
            item->setAction(source->Action);
        item->setImageIndex(source->ImageIndex);
        item->setCheckedIndex(source->ImageIndex);
        if (source->Caption == QStringLiteral("-"))
            item->setDivider(true);
        into->Add(item);
        convertItems(source, item);
    }
}

void TVyrMainMenu::attach() {
    if (!window())
        return;
    User::setMenu(window(), GetHandle());
    m_signed = false;
    updateSignature();
}

bool TVyrMainMenu::updateSignature() {
    if (!Items()->hasHandle())
        return false;
    const QString signature = barSignature(Items()->m_handle);
    if (m_signed && signature == m_signature)
        return false;
    m_signature = signature;
    m_signed = true;
    return true;
}

void TVyrMainMenu::MenuChanged(TVyrMenuItem*, bool) {
    if (!window() || destroying())
        return;
    User::sendMessage(window(), WM_VYRMENUCHANGED);
    if (updateSignature())
        User::drawMenuBar(window());
}

void TVyrMainMenu::setAutoMerge(bool on) {
    if (on == m_autoMerge)
        return;
    m_autoMerge = on;
    if (window())
        User::sendMessage(window(), WM_VYRMENUCHANGED);
}

void TVyrMainMenu::Loaded() {
    beforeReload();
    hook()->ReHook();
    afterReload();
}

void TVyrMainMenu::beforeReload() {
    // The native menus belonged to the old window.
    Items()->forgetHandles();
    setWindow(User::handleOf(qobject_cast<QWidget*>(parent())));
}

void TVyrMainMenu::afterReload() {
    Items()->forgetHandles();
    attach();
    if (window())
        User::sendMessage(window(), WM_VYRMENUCHANGED);
}

} // namespace quorvane

// The kit's menu in its form's system menu.
#include "widgets/kit/VyrFormMenu.h"

#include "platform/MenuBar.h"

#include <QWidget>

namespace quorvane {

TVyrFormMenu::TVyrFormMenu(QWidget* owner) : TVyrPopupMenu(owner, Kind::Form) {
    adoptSystemMenu();
}

void TVyrFormMenu::adoptSystemMenu() {
    if (!window())
        return;
    TVyrMenuItem* root = Items();
    root->m_handle = User::getSystemMenu(window(), false);
    if (root->Count() > 0)
        root->rebuild();
}

void TVyrFormMenu::beforeReload() {
    setWindow(User::handleOf(qobject_cast<QWidget*>(parent())));
}

// The re-created window has a system menu of its own: the items move into it.
void TVyrFormMenu::afterReload() {
    Items()->forgetHandles();
    adoptSystemMenu();
    if (window())
        User::sendMessage(window(), WM_VYRMENUCHANGED);
}

} // namespace quorvane

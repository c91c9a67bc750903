#include "widgets/kit/VyrPopupMenu.h"
#include "widgets/kit/VyrMenuState.h"

namespace quorvane {

TVyrPopupMenu::TVyrPopupMenu(QWidget* owner) : TVyrPopupMenu(owner, Kind::Popup) {}

TVyrPopupMenu::TVyrPopupMenu(QWidget* owner, Kind kind)
    : TVyrMenu(owner, kind), m_popupDetails(new TVyrSubMenu(this)),
      m_rootDetails(Items()->subMenuDetails()) {
    // From its first change on, PopupDetails is the look of the top-level popup.
    connect(m_popupDetails, &TVyrSubMenu::OnChange, this, [this] {
        Items()->setSubMenuDetails(m_popupDetails);
        TVyrMenuState::instance().dropBarCache();
    });
}

TVyrPopupMenu::~TVyrPopupMenu() {
    Items()->setSubMenuDetails(m_rootDetails);
}

} // namespace quorvane

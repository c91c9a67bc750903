#pragma once

#include "widgets/kit/VyrMenu.h"
#include "widgets/kit/VyrSubMenu.h"

namespace quorvane {

// A popup menu with the look of its top-level popup window in PopupDetails.
class TVyrPopupMenu : public TVyrMenu {
    Q_OBJECT
public:
    explicit TVyrPopupMenu(QWidget* owner = nullptr);
    ~TVyrPopupMenu() override;
    TVyrSubMenu* PopupDetails() const { return m_popupDetails; }
    int helpContext() const { return Items()->helpContext(); }
    void setHelpContext(int context) { Items()->setHelpContext(context); }

protected:
    TVyrPopupMenu(QWidget* owner, Kind kind);

private:
    TVyrSubMenu* m_popupDetails;
    TVyrSubMenu* m_rootDetails;
};

} // namespace quorvane

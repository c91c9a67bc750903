#pragma once

#include "widgets/kit/VyrPopupMenu.h"

namespace quorvane {

// A popup menu shown in its owner window's system menu.
class TVyrFormMenu : public TVyrPopupMenu {
    Q_OBJECT
public:
    explicit TVyrFormMenu(QWidget* owner);

protected:
    void beforeReload() override;
    void afterReload() override;

private:
    void adoptSystemMenu();
};

} // namespace quorvane

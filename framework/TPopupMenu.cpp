#include "framework/TPopupMenu.h"

namespace quorvane {

TPopupMenu::TPopupMenu(QWidget* parent) : QMenu(parent) {}

void TPopupMenu::Popup(int x, int y) {
    exec(QPoint(x, y));
}

QAction* TPopupMenu::defaultItem() const {
    return defaultAction();
}

} // namespace quorvane

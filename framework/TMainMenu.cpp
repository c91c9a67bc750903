#include "framework/TMainMenu.h"

#include "framework/TImageList.h"

#include <map>

namespace quorvane {
namespace {
std::map<int, TMainMenu::PlacementCheck>& placementChecks() {
    static std::map<int, TMainMenu::PlacementCheck> checks;
    return checks;
}
} // namespace

void TMenuItem::Add(TMenuItem* item) {
    item->setParent(this);
    m_children.push_back(item);
}

TMainMenu::TMainMenu(QObject* owner) : QObject(owner), m_items(new TMenuItem(this)) {
    // A copy: a check may go away while the others run.
    const auto checks = placementChecks();
    for (const auto& [id, check] : checks)
        check(this, owner);
}

int TMainMenu::addPlacementCheck(PlacementCheck check) {
    static int next = 1;
    placementChecks().emplace(next, std::move(check));
    return next++;
}

void TMainMenu::removePlacementCheck(int id) {
    placementChecks().erase(id);
}

} // namespace quorvane

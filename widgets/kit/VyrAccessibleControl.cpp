#include "widgets/kit/VyrAccessibleControl.h"

#include "widgets/kit/VyrControls.h"

namespace quorvane {
namespace {
QAccessibleInterface* kitFactory(const QString&, QObject* object) {
    if (auto* control = qobject_cast<TVyrGraphicControl*>(object))
        return new TVyrAccessibleControl(control);
    return nullptr;
}
} // namespace

TVyrAccessibleControl::TVyrAccessibleControl(TVyrGraphicControl* control)
    : QAccessibleWidget(control, QAccessible::Button) {}

// The hint is all the control says about itself; a name set on purpose comes first.
QString TVyrAccessibleControl::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
        return widget()->toolTip();
    return QAccessibleWidget::text(kind);
}

QStringList TVyrAccessibleControl::actionNames() const {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void TVyrAccessibleControl::doAction(const QString& action) {
    if (action == pressAction() && widget()->isEnabled())
        Q_EMIT static_cast<TVyrGraphicControl*>(widget())->clicked();
    else
        QAccessibleWidget::doAction(action);
}

void TVyrAccessibleControl::install() {
    static const bool installed = [] {
        QAccessible::installFactory(kitFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

} // namespace quorvane

#pragma once

#include <QAccessibleWidget>

namespace quorvane {

class TVyrGraphicControl;

// What assistive technology sees of the kit's painted controls: a button named by its hint
// that can be pressed, as a click on it would.
class TVyrAccessibleControl : public QAccessibleWidget {
public:
    explicit TVyrAccessibleControl(TVyrGraphicControl* control);

    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;

    // Makes the accessibility tree use it for every kit control; once is enough.
    static void install();
};

} // namespace quorvane

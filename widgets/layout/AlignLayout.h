#pragma once

#include <QObject>

class QWidget;

namespace quorvane {

// Docks child widgets the way the window layouts were designed: each child names its
// alignment in the dynamic property "align" (alTop, alBottom, alLeft, alRight, alClient,
// or none). Docked children keep their designed height (top, bottom) or width (left,
// right) and take the rest of the free area in creation order; other children keep their
// geometry.
class AlignLayout : public QObject {
    Q_OBJECT
public:
    // Installs itself on `container` and on every container below it that has docked
    // children.
    static void install(QWidget* container);
    // Lays out one container now.
    static void realign(QWidget* container);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace quorvane

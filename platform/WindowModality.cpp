#include "platform/WindowModality.h"

#include "platform/WindowFrame.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quorvane::WindowModality {
namespace {
class OwnerModal : public QObject {
public:
    using QObject::QObject;

protected:
    // The show event comes before the window is mapped, while its modality may still change.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType())
            return false;
        if (event->type() == QEvent::WindowActivate)
            passActivationOn(static_cast<QWidget*>(watched));
        if (event->type() != QEvent::Show)
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && widget->windowModality() == Qt::ApplicationModal &&
            widget->parentWidget()) {
            widget->setWindowModality(Qt::WindowModal);
            if (QWindow* window = widget->windowHandle())
                window->setModality(Qt::WindowModal);
        }
        WindowFrame::applyCloseBoxOnly(widget);
        return false;
    }

private:
    // A window that a modal window blocks hands the activation on to it, as on the desktop
    // the program comes from: a window brought back (from the tray, by a later copy) must
    // not end up in front of the one the user has to finish.
    static void passActivationOn(QWidget* window) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!window->isWindow() || !modal || modal == window)
            return;
        QWidget* owner = modal->parentWidget();
        while (owner && owner->window() != window)
            owner = owner->window()->parentWidget();
        if (!owner)
            return;
        QPointer<QWidget> guard(modal);
        QTimer::singleShot(0, modal, [guard] {
            if (!guard || !guard->isVisible())
                return;
            if (guard->isMinimized())
                guard->setWindowState(guard->windowState() & ~Qt::WindowMinimized);
            guard->raise();
            guard->activateWindow();
        });
    }
};
} // namespace

void install() {
    static QPointer<OwnerModal> filter;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new OwnerModal(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

} // namespace quorvane::WindowModality

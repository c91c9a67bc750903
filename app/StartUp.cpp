#include "app/StartUp.h"

#include "platform/Dialogs.h"
#include "platform/FontFaces.h"
#include "platform/SingleInstance.h"
#include "platform/Translations.h"
#include "platform/User.h"
#include "platform/WindowModality.h"
#include "ui/appearance/Tlogo_frm.h"
#include "ui/lookup/Tmain_frm.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <memory>

namespace quorvane::StartUp {
void bringForward(QWidget* window) {
    if (!window)
        return;
    // Hidden in the tray, it comes back as a click on the icon brings it.
    if (auto* main = qobject_cast<Tmain_frm*>(window))
        main->leaveTray();
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    // A modal window open over it comes with it: the user must be able to finish it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}

bool ensureSingleInstance(NamedMutex& mutex) {
    if (mutex.create())
        return true;
    Dialogs::messageBox(nullptr, QStringLiteral("Quorvane已在运行！"), QStringLiteral("提示"),
                        Dialogs::Icon::None);
    const QString remembered = User::applicationTitle();
    User::setApplicationTitle(QStringLiteral("destroy me"));
    mutex.requestActivation(remembered);
    return false;
}

int run(QApplication& app, int splashMs, const std::function<void()>& started) {
    FontFaces::installSubstitutions();
    Translations::install();
    WindowModality::install();

    // EnsureSingleInstance: a second copy hands over to the first and ends.
    NamedMutex mutex(kMutexName);
    if (!ensureSingleInstance(mutex))
        return 0;

    // A later copy may ask for the window before it exists; it comes forward once shown.
    std::unique_ptr<Tmain_frm> window;
    bool activationPending = false;
    mutex.setActivationHandler([&window, &activationPending](const QString&) {
        if (window) // hidden in the tray too
            bringForward(window.get());
        else
            activationPending = true;
    });

    auto splash = std::make_unique<Tlogo_frm>();
    splash->show();
    splash->repaint();
    // The user's input waits, as it did, but the event loop runs: a later copy started now
    // is answered instead of left waiting.
    QEventLoop wait;
    QTimer::singleShot(splashMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    splash->repaint();

    User::setApplicationTitle(kApplicationTitle);
    window = std::make_unique<Tmain_frm>();
    // A tray icon that starts minimised keeps the window hidden.
    if (User::showMainForm())
        window->show();
    splash.reset();
    if (activationPending)
        bringForward(window.get());
    if (started)
        started();
    return app.exec();
}

} // namespace quorvane::StartUp

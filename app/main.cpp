#include "app/StartUp.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The desktop entry's name: docks group the window with its menu entry (Wayland app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("net.brevinn.Quorvane"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("net.brevinn.Quorvane"),
                                                 QIcon(QStringLiteral(":/desktop/quorvane.svg"))));
    return quorvane::StartUp::run(app);
}

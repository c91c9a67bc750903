#include "ui/appearance/Tlogo_frm.h"

#include "platform/SystemColours.h"
#include "ui/appearance/VersionText.h"
#include "widgets/layout/FormFonts.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorvane {

Tlogo_frm::Tlogo_frm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setupUi(this);
    setObjectName(QStringLiteral("logo_frm"));
    FormFonts::applyPixelSizes(this);
    setFixedSize(400, 195);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(SystemColours::rgb(15))); // clBtnFace
    setPalette(colours);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    Label1->adjustSize();
    FormCreate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void Tlogo_frm::FormCreate() {
    verlb->setText(VersionText::label());
}

} // namespace quorvane

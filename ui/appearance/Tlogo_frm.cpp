#include "ui/appearance/Tlogo_frm.h"
#include "ui_logo_frm.h"

#include "platform/SystemColours.h"
#include "ui/appearance/VersionText.h"
#include "widgets/layout/FormFonts.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorvane {

Tlogo_frm::Tlogo_frm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    ui = std::make_unique<Ui::Tlogo_frm>();
    ui->setupUi(this);
    setObjectName(QStringLiteral("logo_frm"));
    FormFonts::applyPixelSizes(this);
    setFixedSize(400, 195);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(SystemColours::rgb(15))); // clBtnFace
    setPalette(colours);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->Label1->adjustSize();
    FormCreate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void Tlogo_frm::FormCreate() {
    ui->verlb->setText(VersionText::label());
}

QLabel* Tlogo_frm::versionLabel() const {
    return ui->verlb;
}

Tlogo_frm::~Tlogo_frm() = default;

} // namespace quorvane

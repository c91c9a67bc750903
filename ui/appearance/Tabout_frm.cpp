#include "ui/appearance/Tabout_frm.h"
#include "ui_about_frm.h"

#include "platform/HandlerGuard.h"
#include "platform/Shell.h"
#include "platform/SystemColours.h"
#include "ui/appearance/ProductLinks.h"
#include "ui/appearance/VersionText.h"
#include "widgets/layout/FormFonts.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace quorvane {

Tabout_frm* about_frm = nullptr;

Tabout_frm::Tabout_frm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    ui = std::make_unique<Ui::Tabout_frm>();
    ui->setupUi(this);
    setObjectName(QStringLiteral("about_frm"));
    FormFonts::applyPixelSizes(this);
    setFixedSize(401, 198);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(SystemColours::rgb(15))); // clBtnFace
    setPalette(colours);
    setAutoFillBackground(true);
    setMouseTracking(true);

    ui->Label2->setText(ProductLinks::mailAddress);
    ui->Label2->setToolTip(QStringLiteral("mailto:") + ProductLinks::mailAddress);
    ui->urllb->setText(ProductLinks::webPage);
    for (QLabel* label : {ui->Label4, ui->Label3, ui->Label2, ui->urllb})
        label->adjustSize();
    // Clicks on the labels are theirs: only the banner and the free area close the window.
    for (QLabel* label : {ui->verlb, ui->Label4, ui->Label3, ui->Label2, ui->urllb})
        label->installEventFilter(this);
    connect(ui->Image1, &BannerImage::clicked, this,
            [this] { runGuarded([this] { FormClick(); }); });

    runGuarded([this] { FormCreate(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

Tabout_frm::~Tabout_frm() {
    if (about_frm == this)
        about_frm = nullptr;
}

void Tabout_frm::showAbout(QWidget* owner) {
    about_frm = new Tabout_frm(owner);
    about_frm->setAttribute(Qt::WA_DeleteOnClose); // FormClose destroys the window
    about_frm->exec();
}

void Tabout_frm::FormCreate() {
    ui->verlb->setText(VersionText::label());
}

void Tabout_frm::FormClick() {
    close();
}

void Tabout_frm::Label2Click() {
    Shell::execute(this, QStringLiteral("open"),
                   QStringLiteral("mailto:") + ProductLinks::mailAddress);
}

// The label's text is the address, so it is written in one place only.
void Tabout_frm::urllbClick() {
    Shell::execute(this, QStringLiteral("open"), ui->urllb->text());
}

// The look stays until the window closes; each opening starts plain.
void Tabout_frm::highlight(QLabel* link) {
    QFont font = link->font();
    font.setBold(true);
    font.setUnderline(true);
    link->setFont(font);
    QPalette colours = link->palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 255));
    link->setPalette(colours);
    link->adjustSize();
}

void Tabout_frm::Label2MouseMove() {
    highlight(ui->Label2);
}

void Tabout_frm::urllbMouseMove() {
    highlight(ui->urllb);
}

void Tabout_frm::FormMouseMove() {}

bool Tabout_frm::eventFilter(QObject* watched, QEvent* event) {
    const bool isLink = watched == ui->Label2 || watched == ui->urllb;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QWidget*>(watched);
        if (isLink && mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint()))
            runGuarded([this, watched] { watched == ui->Label2 ? Label2Click() : urllbClick(); });
        return true;
    }
    case QEvent::MouseMove:
        if (isLink)
            runGuarded(
                [this, watched] { watched == ui->Label2 ? Label2MouseMove() : urllbMouseMove(); });
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void Tabout_frm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        runGuarded([this] { FormClick(); });
}

void Tabout_frm::mouseMoveEvent(QMouseEvent*) {
    runGuarded([this] { FormMouseMove(); });
}

} // namespace quorvane

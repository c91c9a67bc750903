#include "ui/appearance/Tlogo_frm.h"

#include "data/SettingsStore.h"
#include "platform/QuorvaneError.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace quorvane {

Tlogo_frm::Tlogo_frm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_version(new QLabel(this)) {
    setObjectName(QStringLiteral("logo_frm"));
    setFixedSize(400, 220);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x80, 0, 0));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Quorvane"), this);
    QFont titleFont(QStringLiteral("楷体_GB2312"));
    titleFont.setPixelSize(48);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto* subtitle = new QLabel(QStringLiteral("成语词典"), this);
    QFont subtitleFont(QStringLiteral("楷体_GB2312"));
    subtitleFont.setPixelSize(28);
    subtitle->setFont(subtitleFont);
    subtitle->setAlignment(Qt::AlignCenter);
    m_version->setObjectName(QStringLiteral("versionlbl"));
    m_version->setAlignment(Qt::AlignRight);
    try {
        const QString version = SettingsStore::readVersion();
        if (!version.isEmpty())
            m_version->setText(QStringLiteral("版本：") + version);
    } catch (const QuorvaneError&) {
        // An unreadable settings file is reported by the main window; the splash just
        // shows no version.
    }
    layout->addStretch();
    layout->addWidget(title);
    layout->addWidget(subtitle);
    layout->addStretch();
    layout->addWidget(m_version);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

} // namespace quorvane

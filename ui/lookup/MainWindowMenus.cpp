#include "ui/lookup/MainWindowMenus.h"

#include "framework/TImageList.h"
#include "platform/Canvas.h"
#include "widgets/kit/VyrMenus.h"
#include "widgets/tray/TrayIcons.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

// Resources of a static library are registered by hand, outside any namespace.
static void initTrayResources() {
    Q_INIT_RESOURCE(tray);
}

namespace quorvane {

MainWindowMenus::MainWindowMenus(QWidget* window) {
    buildContextMenu(window);
    buildTray(window);
}

void MainWindowMenus::buildContextMenu(QWidget* window) {
    VyrPopupMenu1 = new TVyrPopupMenu(window);
    VyrPopupMenu1->setObjectName(QStringLiteral("VyrPopupMenu1"));
    VyrPopupMenu1->setMenuFont(menuFont(-14));
    LogFont selected = menuFont(-14);
    selected.colour = clHighlightText;
    VyrPopupMenu1->setSelectedFont(selected);
    LogFont divider = menuFont(-9);
    divider.faceName = QStringLiteral("Small Fonts");
    VyrPopupMenu1->setDividerFont(divider);
    copym = VyrPopupMenu1->addItem(QStringLiteral("copym"), QStringLiteral("复制"));
    copym->setShortCut(0x4000 | 'C'); // Ctrl+C
    copym->setEnabled(false);
    VyrMenuItem4 = VyrPopupMenu1->addItem(QStringLiteral("VyrMenuItem4"), QString());
    VyrMenuItem4->setDivider(true);
    selallm = VyrPopupMenu1->addItem(QStringLiteral("selallm"), QStringLiteral("全选"));
}

LogFont MainWindowMenus::menuFont(int height) {
    LogFont font;
    font.height = height;
    font.faceName = QStringLiteral("宋体");
    font.colour = kSystemColourBit | 8; // clWindowText
    return font;
}

void MainWindowMenus::buildTray(QWidget* window) {
    initTrayResources();
    ImageList = new TImageList(QSize(16, 16), window);
    ImageList->setObjectName(QStringLiteral("ImageList"));
    for (int i = 0; i < 13; ++i)
        ImageList->add(
            QPixmap(QStringLiteral(":/tray/frame%1.png").arg(i, 2, 10, QLatin1Char('0'))));

    tbmenu = new TVyrPopupMenu(window);
    tbmenu->setObjectName(QStringLiteral("tbmenu"));
    tbmenu->setMenuFont(menuFont(-14));
    LogFont selected = menuFont(-14);
    selected.colour = clHighlightText;
    tbmenu->setSelectedFont(selected);
    tbmenu->setDividerFont(menuFont(-14));
    TVyrSubMenu* details = tbmenu->PopupDetails();
    details->setBackground(QImage(QStringLiteral(":/tray/menubk.png")));
    details->setTransparentColor(0);             // clBlack
    details->setColor(rgbColour(192, 192, 192)); // clSilver
    details->setEnabled(true);
    details->setBarEnabled(true);
    details->setBarFontname(QStringLiteral("宋体"));
    details->barAsGradient()->setActive(true);
    details->barAsGradient()->setFadeToColor(rgbColour(255, 0, 255)); // clFuchsia
    details->setBarFontSize(11);
    details->setBarFontColor(rgbColour(255, 255, 255));
    details->setBarColor(rgbColour(255, 255, 255));
    details->setBarWidth(18);
    details->setBarCaption(QStringLiteral("Quorvane"));
    const auto item = [this](const QString& name, const QString& caption) {
        return tbmenu->addItem(name, caption);
    };
    hlpm = item(QStringLiteral("hlpm"), QStringLiteral("帮助"));
    VyrMenuItem2 = item(QStringLiteral("VyrMenuItem2"), QStringLiteral("作者主页"));
    aboutm = item(QStringLiteral("aboutm"), QStringLiteral("关于"));
    VyrMenuItem1 = item(QStringLiteral("VyrMenuItem1"), QString());
    VyrMenuItem1->setDivider(true);
    exitbtn = item(QStringLiteral("exitbtn"), QStringLiteral("退出"));

    TrayIcon1 = new TTrayIcon(window);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setIcon(QIcon(QStringLiteral(":/tray/icon.png")));
    TrayIcon1->setIconList(ImageList);
    TrayIcon1->setCycleIcons(true);
    TrayIcon1->setCycleInterval(400);
    TrayIcon1->setHint(QStringLiteral("Quorvane"));
    TrayIcon1->setPopupMenu(tbmenu);
    TrayIcon1->setMinimizeToTray(true);
}

} // namespace quorvane

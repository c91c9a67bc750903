#pragma once

class QWidget;

namespace quorvane {

class TImageList;
class TTrayIcon;
class TVyrMenuItem;
class TVyrPopupMenu;
struct LogFont;

// The main window's menus as it shows them: the entry view's context menu, and the tray
// icon with its animation frames and its menu. The components are the window's children,
// named as designed; the window binds their events.
class MainWindowMenus {
public:
    explicit MainWindowMenus(QWidget* window);

    // Context menu of the entry view.
    TVyrPopupMenu* VyrPopupMenu1;
    TVyrMenuItem* copym;
    TVyrMenuItem* VyrMenuItem4;
    TVyrMenuItem* selallm;

    // The tray icon, its 13 animation images and its menu.
    TImageList* ImageList;
    TTrayIcon* TrayIcon1;
    TVyrPopupMenu* tbmenu;
    TVyrMenuItem* hlpm;
    TVyrMenuItem* VyrMenuItem2;
    TVyrMenuItem* aboutm;
    TVyrMenuItem* VyrMenuItem1;
    TVyrMenuItem* exitbtn;

private:
    void buildContextMenu(QWidget* window);
    void buildTray(QWidget* window);
    static LogFont menuFont(int height);
};

} // namespace quorvane

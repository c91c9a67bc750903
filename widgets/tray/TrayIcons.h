#pragma once

#include "framework/TImageList.h"
#include "framework/TPopupMenu.h"
#include "platform/EventHandler.h"
#include "platform/NotifyIconHost.h"
#include "platform/User.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

namespace quorvane {

// The program's icon in the desktop's notification area: a picture (optionally cycling
// through an image list), a tooltip, a popup menu, and hiding the main window into the tray.
// It talks to the desktop through Shell_NotifyIconA, hears the mouse in a message window of
// its own, and hooks the application window and its owner's window.
class TTrayIcon : public QObject {
    Q_OBJECT
    Q_PROPERTY(quorvane::TImageList* IconList READ iconList WRITE setIconList)
    Q_PROPERTY(bool CycleIcons READ cycleIcons WRITE setCycleIcons)
    Q_PROPERTY(uint CycleInterval READ cycleInterval WRITE setCycleInterval)
    Q_PROPERTY(bool Enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)
    Q_PROPERTY(bool ShowHint READ showHint WRITE setShowHint)
    Q_PROPERTY(QIcon Icon READ icon WRITE setIcon)
    Q_PROPERTY(bool IconVisible READ iconVisible WRITE setIconVisible)
    Q_PROPERTY(int IconIndex READ iconIndex WRITE setIconIndex)
    Q_PROPERTY(quorvane::TPopupMenu* PopupMenu READ popupMenu WRITE setPopupMenu)
    Q_PROPERTY(bool LeftPopup READ leftPopup WRITE setLeftPopup)
    Q_PROPERTY(bool StartMinimized READ startMinimized WRITE setStartMinimized)
    Q_PROPERTY(bool MinimizeToTray READ minimizeToTray WRITE setMinimizeToTray)

public:
    enum TMouseButton { mbLeft, mbRight, mbMiddle };
    enum TShiftFlag {
        ssShift = 0x1,
        ssAlt = 0x2,
        ssCtrl = 0x4,
        ssLeft = 0x8,
        ssRight = 0x10,
        ssMiddle = 0x20
    };
    Q_DECLARE_FLAGS(TShiftState, TShiftFlag)

    using TMouseEvent =
        std::function<void(QObject* sender, TMouseButton, TShiftState, int x, int y)>;
    using TMouseMoveEvent = std::function<void(QObject* sender, TShiftState, int x, int y)>;
    using TCycleEvent = std::function<void(QObject* sender, int nextIndex)>;

    static constexpr UINT TrayCallbackMessage = 0x800;

    explicit TTrayIcon(QObject* owner);
    ~TTrayIcon() override;

    // The owner has applied its configuration: the icon goes into the notification area.
    void Loaded();

    TImageList* iconList() const { return m_iconList; }
    void setIconList(TImageList* list);
    bool cycleIcons() const { return m_cycleIcons; }
    void setCycleIcons(bool on);
    uint cycleInterval() const { return m_cycleInterval; }
    void setCycleInterval(uint ms);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on) { m_enabled = on; }
    QString hint() const { return m_hint; }
    void setHint(const QString& hint);
    bool showHint() const { return m_showHint; }
    void setShowHint(bool on);
    QIcon icon() const { return m_icon; }
    void setIcon(const QIcon& icon);
    bool iconVisible() const { return m_iconVisible; }
    void setIconVisible(bool visible);
    int iconIndex() const { return m_iconIndex; }
    void setIconIndex(int index);
    TPopupMenu* popupMenu() const { return m_popupMenu; }
    void setPopupMenu(TPopupMenu* menu) { m_popupMenu = menu; }
    bool leftPopup() const { return m_leftPopup; }
    void setLeftPopup(bool on) { m_leftPopup = on; }
    bool startMinimized() const { return m_startMinimized; }
    void setStartMinimized(bool on) { m_startMinimized = on; }
    bool minimizeToTray() const { return m_minimizeToTray; }
    void setMinimizeToTray(bool on) { m_minimizeToTray = on; }

    // Each answers whether the desktop accepted the call.
    virtual bool AddTrayIcon();
    virtual bool RemoveTrayIcon();
    virtual bool UpdateTrayIcon();

    void ShowMainWindow();
    void HideMainWindow();

    // The message window the desktop reports the mouse to, and what it is sent.
    HWND iconWindow() const { return m_notifyData.hWnd; }
    const NOTIFYICONDATAA& notifyData() const { return m_notifyData; }
    static UINT taskbarCreatedMessage() { return s_taskbarCreatedMessage; }
    static UINT areaGoneMessage() { return s_areaGoneMessage; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;
    // The notification area went away (a panel that crashed, a session without one): a
    // window hidden into it would be out of reach.
    TNotifyEvent OnAreaGone;

protected:
    virtual void RaiseClick();
    virtual void RaiseDblClick();
    virtual void RaiseCycle(int nextIndex);
    virtual void RaiseMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void RaiseMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void RaiseMouseMove(TShiftState shift, int x, int y);
    virtual void MinimizeToTrayNow();
    // One animation step: the current image, OnCycle, then on to the next image.
    void CycleTimerTick();

private:
    void PrepareNotifyData();
    void ShowPopupAtCursor();
    LRESULT IconWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void HookApplicationWindow();
    void HookOwnerWindow();
    void UnhookApplicationWindow();
    void UnhookOwnerWindow();
    void mouseReport(UINT mouseMessage);
    void startOrStopTimer();

    QPointer<TImageList> m_iconList;
    bool m_cycleIcons = false;
    uint m_cycleInterval = 0;
    bool m_enabled = true;
    QString m_hint;
    bool m_showHint = true;
    QIcon m_icon;
    bool m_iconVisible = true;
    int m_iconIndex = 0;
    QPointer<TPopupMenu> m_popupMenu;
    bool m_leftPopup = false;
    bool m_startMinimized = false;
    bool m_minimizeToTray = false;

    NOTIFYICONDATAA m_notifyData;
    QTimer* m_cycleTimer;
    bool m_clickPending = false;
    bool m_firstPositionPending = true;
    HWND m_ownerWindow = 0;
    User::WNDPROC m_savedApplicationWindowProc;
    User::WNDPROC m_applicationHook;
    User::WNDPROC m_savedOwnerWindowProc;
    User::WNDPROC m_ownerHook;

    static UINT s_taskbarCreatedMessage;
    static UINT s_areaGoneMessage;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TTrayIcon::TShiftState)

// At most `limit` bytes of the text in the ANSI code page, never half a character.
QByteArray ansiPrefix(const QString& text, int limit);

} // namespace quorvane

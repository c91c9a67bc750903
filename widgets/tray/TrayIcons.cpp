#include "widgets/tray/TrayIcons.h"

#include "platform/TextCodec.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPoint>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cstring>

namespace quorvane {

UINT TTrayIcon::s_taskbarCreatedMessage = 0;
UINT TTrayIcon::s_areaGoneMessage = 0;

QByteArray ansiPrefix(const QString& text, int limit) {
    const QByteArray bytes = TextCodec::toAnsi(text);
    if (bytes.size() <= limit)
        return bytes;
    // GB18030: ASCII is one byte; a lead byte followed by a digit starts a four-byte
    // character, any other lead byte a two-byte one.
    qsizetype end = 0;
    while (end < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[end]);
        qsizetype length = 1;
        if (lead >= 0x80) {
            const bool four =
                end + 1 < bytes.size() && bytes[end + 1] >= '0' && bytes[end + 1] <= '9';
            length = four ? 4 : 2;
        }
        if (end + length > limit)
            break;
        end += length;
    }
    return bytes.left(end);
}

TTrayIcon::TTrayIcon(QObject* owner) : QObject(owner) {
    s_taskbarCreatedMessage = User::registerWindowMessage(QStringLiteral("TaskbarCreated"));
    s_areaGoneMessage = User::registerWindowMessage(kNotificationAreaGone);
    m_notifyData.cbSize = 488;
    m_notifyData.hWnd =
        User::allocateHWnd([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            return IconWindowProc(window, message, wParam, lParam);
        });
    m_notifyData.uID = 1;
    m_notifyData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_notifyData.uCallbackMessage = TrayCallbackMessage;
    m_cycleTimer = new QTimer(this);
    m_cycleTimer->setObjectName(QStringLiteral("CycleTimer"));
    m_cycleTimer->setInterval(static_cast<int>(m_cycleInterval));
    connect(m_cycleTimer, &QTimer::timeout, this, &TTrayIcon::CycleTimerTick);
    HookApplicationWindow();
    HookOwnerWindow();
    // The program lives on in the tray with no window shown; it ends when its main window
    // closes, not when the last window on screen does.
    QApplication::setQuitOnLastWindowClosed(false);
}

TTrayIcon::~TTrayIcon() {
    setIconVisible(false);
    m_cycleTimer->stop();
    User::destroyWindow(m_notifyData.hWnd);
    UnhookApplicationWindow();
    UnhookOwnerWindow();
}

void TTrayIcon::Loaded() {
    if (m_startMinimized) {
        User::setShowMainForm(false);
        User::showWindow(User::applicationWindow(), SW_HIDE);
    }
    UpdateTrayIcon();
    setIconVisible(m_iconVisible);
}

void TTrayIcon::HookApplicationWindow() {
    m_applicationHook =
        User::makeObjectInstance([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            return ApplicationWindowProc(window, message, wParam, lParam);
        });
    m_savedApplicationWindowProc =
        User::setWindowProc(User::applicationWindow(), m_applicationHook);
}

void TTrayIcon::HookOwnerWindow() {
    auto* owner = qobject_cast<QWidget*>(parent());
    if (!owner)
        return;
    m_ownerWindow = User::handleOf(owner);
    m_ownerHook =
        User::makeObjectInstance([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            return OwnerWindowProc(window, message, wParam, lParam);
        });
    m_savedOwnerWindowProc = User::setWindowProc(m_ownerWindow, m_ownerHook);
}

void TTrayIcon::UnhookApplicationWindow() {
    if (m_applicationHook)
        User::removeWindowProc(User::applicationWindow(), m_applicationHook);
    m_applicationHook.reset();
}

void TTrayIcon::UnhookOwnerWindow() {
    if (m_ownerHook)
        User::removeWindowProc(m_ownerWindow, m_ownerHook);
    m_ownerHook.reset();
}

void TTrayIcon::setIconList(TImageList* list) {
    if (m_iconList)
        disconnect(m_iconList, nullptr, this, nullptr);
    m_iconList = list;
    if (list)
        connect(list, &QObject::destroyed, this, [this] {
            m_iconList = nullptr;
            setIconIndex(0);
        });
    setIconIndex(0);
}

void TTrayIcon::setCycleIcons(bool on) {
    m_cycleIcons = on;
    if (on)
        setIconIndex(0);
    startOrStopTimer();
}

void TTrayIcon::setCycleInterval(uint ms) {
    m_cycleInterval = ms;
    m_cycleTimer->setInterval(static_cast<int>(std::min<uint>(ms, INT_MAX)));
    startOrStopTimer();
}

// An interval of 0 would spin a core on a zero-millisecond timer: it means no animation.
void TTrayIcon::startOrStopTimer() {
    if (m_cycleIcons && m_cycleInterval > 0) {
        if (!m_cycleTimer->isActive())
            m_cycleTimer->start();
    } else {
        m_cycleTimer->stop();
    }
}

void TTrayIcon::setHint(const QString& hint) {
    m_hint = hint;
    UpdateTrayIcon();
}

void TTrayIcon::setShowHint(bool on) {
    m_showHint = on;
    UpdateTrayIcon();
}

void TTrayIcon::setIcon(const QIcon& icon) {
    m_icon = icon;
    UpdateTrayIcon();
}

void TTrayIcon::setIconVisible(bool visible) {
    if (visible)
        AddTrayIcon();
    else
        RemoveTrayIcon();
}

// Capped at the list's last image. An empty list or a negative index leaves the picture
// as it is (the index then reads -1 and the animation goes on from the first image).
void TTrayIcon::setIconIndex(int index) {
    if (m_iconList) {
        m_iconIndex = index < 0 ? -1 : std::min(index, m_iconList->count() - 1);
        if (m_iconIndex >= 0)
            m_icon = m_iconList->icon(m_iconIndex);
    } else {
        m_iconIndex = 0;
    }
    UpdateTrayIcon();
}

void TTrayIcon::PrepareNotifyData() {
    m_notifyData.hIcon = m_icon;
    m_notifyData.szTip.fill(0);
    if (!m_hint.isEmpty() && m_showHint) {
        const QByteArray tip = ansiPrefix(m_hint, static_cast<int>(m_notifyData.szTip.size()) - 1);
        std::memcpy(m_notifyData.szTip.data(), tip.constData(), static_cast<size_t>(tip.size()));
    }
}

bool TTrayIcon::AddTrayIcon() {
    m_iconVisible = true;
    PrepareNotifyData();
    return Shell_NotifyIconA(NIM_ADD, m_notifyData);
}

bool TTrayIcon::RemoveTrayIcon() {
    m_iconVisible = false;
    PrepareNotifyData();
    return Shell_NotifyIconA(NIM_DELETE, m_notifyData);
}

bool TTrayIcon::UpdateTrayIcon() {
    PrepareNotifyData();
    return Shell_NotifyIconA(NIM_MODIFY, m_notifyData);
}

void TTrayIcon::CycleTimerTick() {
    if (!m_iconList || m_iconList->count() == 0)
        return;
    const int last = m_iconList->count() - 1;
    if (m_iconIndex >= 0)
        m_icon = m_iconList->icon(m_iconIndex);
    RaiseCycle(m_iconIndex >= last ? 0 : m_iconIndex + 1);
    UpdateTrayIcon();
    setIconIndex(m_iconIndex < last ? m_iconIndex + 1 : 0);
}

void TTrayIcon::RaiseClick() {
    if (OnClick)
        OnClick(this);
}
void TTrayIcon::RaiseDblClick() {
    if (OnDblClick)
        OnDblClick(this);
}
void TTrayIcon::RaiseCycle(int nextIndex) {
    if (OnCycle)
        OnCycle(this, nextIndex);
}
void TTrayIcon::RaiseMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}
void TTrayIcon::RaiseMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}
void TTrayIcon::RaiseMouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

namespace {
TTrayIcon::TShiftState CurrentShiftState() {
    TTrayIcon::TShiftState state;
    if (User::getAsyncKeyState(VK_SHIFT) < 0)
        state |= TTrayIcon::ssShift;
    if (User::getAsyncKeyState(VK_MENU) < 0)
        state |= TTrayIcon::ssAlt;
    if (User::getAsyncKeyState(VK_CONTROL) < 0)
        state |= TTrayIcon::ssCtrl;
    return state;
}
} // namespace

void TTrayIcon::mouseReport(UINT mouseMessage) {
    QPoint at;
    const auto press = [&](TMouseButton button, TShiftFlag flag, bool down) {
        const TShiftState shift = CurrentShiftState() | flag;
        User::getCursorPos(at);
        if (down)
            RaiseMouseDown(button, shift, at.x(), at.y());
        else
            RaiseMouseUp(button, shift, at.x(), at.y());
    };
    switch (mouseMessage) {
    case WM_MOUSEMOVE: {
        const TShiftState shift = CurrentShiftState();
        User::getCursorPos(at);
        RaiseMouseMove(shift, at.x(), at.y());
        break;
    }
    case WM_LBUTTONDOWN:
        press(mbLeft, ssLeft, true);
        m_clickPending = true;
        if (m_leftPopup)
            ShowPopupAtCursor();
        break;
    case WM_LBUTTONUP:
        if (m_clickPending) {
            m_clickPending = false;
            RaiseClick();
        }
        press(mbLeft, ssLeft, false);
        break;
    case WM_LBUTTONDBLCLK:
        RaiseDblClick();
        if (m_popupMenu && m_popupMenu->autoPopup() && !m_leftPopup)
            if (QAction* item = m_popupMenu->defaultItem())
                item->trigger();
        break;
    case WM_RBUTTONDOWN:
        press(mbRight, ssRight, true);
        ShowPopupAtCursor();
        break;
    case WM_RBUTTONUP:
        press(mbRight, ssRight, false);
        break;
    case WM_MBUTTONDOWN:
        press(mbMiddle, ssMiddle, true);
        break;
    case WM_MBUTTONUP:
        press(mbMiddle, ssMiddle, false);
        break;
    default:
        break;
    }
}

LRESULT TTrayIcon::IconWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TrayCallbackMessage) {
        if (m_enabled)
            mouseReport(static_cast<UINT>(lParam));
        return 0;
    }
    if (message == WM_QUERYENDSESSION)
        return 1;
    return User::defWindowProc(window, message, wParam, lParam);
}

void TTrayIcon::ShowPopupAtCursor() {
    QPoint at;
    if (!m_popupMenu || !m_popupMenu->autoPopup() || !User::getCursorPos(at))
        return;
    QCoreApplication::processEvents();
    User::setForegroundWindow(m_ownerWindow);
    m_popupMenu->setPopupComponent(this);
    m_popupMenu->Popup(at.x(), at.y());
    User::postMessage(m_ownerWindow, WM_NULL);
}

LRESULT TTrayIcon::ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && m_minimizeToTray) {
        MinimizeToTrayNow();
    } else if (message == WM_WINDOWPOSCHANGED && m_firstPositionPending && User::mainWindow()) {
        const auto* frame = qobject_cast<QMainWindow*>(User::mainWindow());
        if (frame && qobject_cast<QMdiArea*>(frame->centralWidget()) && m_startMinimized)
            User::showWindow(User::applicationWindow(), SW_HIDE);
        m_firstPositionPending = false;
    } else if (message == s_taskbarCreatedMessage && m_iconVisible) {
        AddTrayIcon();
    } else if (message == s_areaGoneMessage && OnAreaGone) {
        OnAreaGone(this);
    }
    return User::callWindowProc(m_savedApplicationWindowProc, window, message, wParam, lParam);
}

LRESULT TTrayIcon::OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE &&
        (loWord(wParam) == WA_ACTIVE || loWord(wParam) == WA_CLICKACTIVE)) {
        if (QWidget* control = QApplication::focusWidget()) {
            QWidget* holder = control->parentWidget() ? control->parentWidget() : control;
            if (User::handleOf(holder) != static_cast<HWND>(lParam))
                control->setFocus();
        }
    } else if (message == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
        User::showWindow(User::applicationWindow(), SW_RESTORE);
        User::setForegroundWindow(User::applicationWindow());
        User::setForegroundWindow(m_ownerWindow);
    }
    return User::callWindowProc(m_savedOwnerWindowProc, window, message, wParam, lParam);
}

// Hiding needs a notification area to come back from; without one the window minimises
// as any other and stays within reach of the task bar.
void TTrayIcon::MinimizeToTrayNow() {
    if (notificationAreaAvailable())
        HideMainWindow();
    setIconVisible(true);
}

void TTrayIcon::ShowMainWindow() {
    QWidget* main = User::mainWindow();
    if (!main)
        return;
    User::showWindow(User::applicationWindow(), SW_RESTORE);
    main->setVisible(true);
}

void TTrayIcon::HideMainWindow() {
    QWidget* main = User::mainWindow();
    if (!main)
        return;
    main->setVisible(false);
    User::showWindow(User::applicationWindow(), SW_HIDE);
}

} // namespace quorvane

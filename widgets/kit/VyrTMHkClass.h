#pragma once

#include "platform/EventHandler.h"
#include "platform/User.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

namespace quorvane {

// The message record a hook hands to its menu.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

using TVyrMenuHookMsg = std::function<void(TMessage& msg, bool& handled)>;

// Connects a kit menu to the window that receives its messages by putting a procedure of
// its own into that window's chain. After the window is destroyed it moves, through a posted
// request, to the window the owner control has then.
class TVyrMenuHookClass : public QObject {
    Q_OBJECT
public:
    TVyrMenuHookClass(QObject* menu, bool windowMenu, QWidget* control);
    ~TVyrMenuHookClass() override;

    TVyrMenuHookMsg BeforeMessage;
    TVyrMenuHookMsg AfterMessage; // raised after the previous procedure has run
    TNotifyEvent BeforeReload;
    TNotifyEvent OnReloadMenuHook;

    QObject* menu() const { return m_menu; }
    QWidget* control() const { return m_control; }
    HWND hookedWindow() const { return m_hookedWindow; }
    bool windowMenu() const { return m_windowMenu; }
    bool hooked() const { return m_instance != nullptr; }

    void ReHook();
    void Hook();
    void UnHook();
    // The posted re-hook; false when the control has no window yet.
    bool DeferredReHook();
    int retries = 0;

private:
    HWND determineWindow() const;
    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    QPointer<QObject> m_menu;
    QPointer<QWidget> m_control;
    bool m_windowMenu;
    bool m_hadControl;
    HWND m_hookedWindow = 0;
    User::WNDPROC m_instance;
    User::WNDPROC m_previous;
};

// The process-wide list of menu hooks, with the hidden window that performs the re-hooks.
class TVyrMenuHookList {
public:
    static constexpr UINT kReHookMessage = 0xB1F5;
    // A request whose control never gets a window gives up after this many tries.
    static constexpr int kMaxReHookRetries = 100;

    static TVyrMenuHookList& instance();
    TVyrMenuHookClass* Add(QObject* menu, QWidget* control, bool windowMenu);
    // Unhooks and frees the hooks of `menu`, the last first.
    void Remove(QObject* menu);
    int count() const { return int(m_hooks.size()); }
    HWND window() const { return m_window; }
    void postReHook(TVyrMenuHookClass* hook);

private:
    TVyrMenuHookList();
    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<std::unique_ptr<TVyrMenuHookClass>> m_hooks;
    HWND m_window = 0;
};

} // namespace quorvane

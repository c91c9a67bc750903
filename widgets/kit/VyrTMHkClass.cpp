#include "widgets/kit/VyrTMHkClass.h"

#include "platform/HandlerGuard.h"

#include <QCoreApplication>
#include <QWidget>

namespace quorvane {
namespace {
constexpr UINT kReleaseMessage = 0xB021; // a form's deferred release

bool applicationClosing() {
    return QCoreApplication::closingDown();
}
} // namespace

TVyrMenuHookClass::TVyrMenuHookClass(QObject* menu, bool windowMenu, QWidget* control)
    : m_menu(menu), m_control(control), m_windowMenu(windowMenu), m_hadControl(control) {
    m_hookedWindow = determineWindow();
    Hook();
}

TVyrMenuHookClass::~TVyrMenuHookClass() {
    UnHook();
}

HWND TVyrMenuHookClass::determineWindow() const {
    if (!m_control)
        return 0;
    if (m_windowMenu && m_control->isWindow())
        return User::handleOf(m_control);
    return User::applicationWindow();
}

void TVyrMenuHookClass::Hook() {
    if (!m_control || m_hookedWindow == 0 || m_instance || applicationClosing())
        return;
    auto instance = User::makeObjectInstance(
        [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return WndProc(w, m, wp, lp); });
    m_previous = User::setWindowProc(m_hookedWindow, instance);
    if (m_previous)
        m_instance = instance;
}

void TVyrMenuHookClass::UnHook() {
    if (!m_instance || m_hookedWindow == 0)
        return;
    // Out of the chain wherever it sits: hooks installed later keep theirs.
    User::removeWindowProc(m_hookedWindow, m_instance);
    m_instance.reset();
    m_previous.reset();
}

void TVyrMenuHookClass::ReHook() {
    UnHook();
    m_hookedWindow = determineWindow();
    Hook();
}

bool TVyrMenuHookClass::DeferredReHook() {
    if (!m_control)
        return false;
    if (BeforeReload)
        BeforeReload(this);
    m_hookedWindow = determineWindow();
    Hook();
    if (OnReloadMenuHook)
        OnReloadMenuHook(this);
    return true;
}

LRESULT TVyrMenuHookClass::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Keeps this procedure alive even if the handler takes it out of the chain.
    const User::WNDPROC previous = m_previous;
    TMessage msg{message, wParam, lParam, 0};
    runGuarded([&] {
        if (!m_menu || (m_hadControl && !m_control) || message == kReleaseMessage) {
            UnHook();
            // The message still belongs to the window.
            msg.Result = User::callWindowProc(previous, window, message, wParam, lParam);
            return;
        }
        if (message == WM_DESTROY) {
            UnHook();
            msg.Result = User::callWindowProc(previous, window, message, wParam, lParam);
            if (!applicationClosing())
                TVyrMenuHookList::instance().postReHook(this);
            return;
        }
        bool handled = false;
        // The menu may free this hook from inside its handler.
        const QPointer<TVyrMenuHookClass> self(this);
        if (const TVyrMenuHookMsg before = BeforeMessage)
            before(msg, handled);
        if (!handled) {
            msg.Result = User::callWindowProc(previous, window, message, wParam, lParam);
            if (const TVyrMenuHookMsg after = self ? AfterMessage : nullptr)
                after(msg, handled);
        }
    });
    return msg.Result;
}

TVyrMenuHookList& TVyrMenuHookList::instance() {
    static TVyrMenuHookList* list = new TVyrMenuHookList;
    return *list;
}

TVyrMenuHookList::TVyrMenuHookList() {
    m_window = User::allocateHWnd(
        [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return WndProc(w, m, wp, lp); });
}

TVyrMenuHookClass* TVyrMenuHookList::Add(QObject* menu, QWidget* control, bool windowMenu) {
    m_hooks.push_back(std::make_unique<TVyrMenuHookClass>(menu, windowMenu, control));
    return m_hooks.back().get();
}

void TVyrMenuHookList::Remove(QObject* menu) {
    for (auto i = m_hooks.size(); i-- > 0;)
        if (m_hooks[i]->menu() == menu || !m_hooks[i]->menu())
            m_hooks.erase(m_hooks.begin() + qsizetype(i));
}

void TVyrMenuHookList::postReHook(TVyrMenuHookClass* hook) {
    User::postMessage(m_window, kReHookMessage, 0, reinterpret_cast<LPARAM>(hook));
}

LRESULT TVyrMenuHookList::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kReHookMessage)
        return User::defWindowProc(window, message, wParam, lParam);
    runGuarded([&] {
        // The hook may have been freed since the request was posted: only listed ones count.
        for (const auto& hook : m_hooks) {
            if (reinterpret_cast<LPARAM>(hook.get()) != lParam)
                continue;
            QWidget* control = hook->control();
            // A form docked into another window has none of its own until it is undocked.
            const bool hasWindow = control && (!hook->windowMenu() || control->isWindow());
            if (hasWindow && hook->DeferredReHook())
                hook->retries = 0;
            else if (control && ++hook->retries < kMaxReHookRetries)
                postReHook(hook.get());
            break;
        }
    });
    return 0;
}

} // namespace quorvane

#include "platform/User.h"

#include "platform/MenuBar.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <map>

namespace quorvane::User {

struct WindowProcedure {
    WindowProcFn fn;
    WNDPROC previous;
    bool removed = false;
};

namespace {

constexpr QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::User + 0x5A1);
constexpr LPARAM SW_PARENTCLOSING = 1;
constexpr LPARAM SW_PARENTOPENING = 3;

struct PostedMessage : QEvent {
    PostedMessage(HWND w, UINT m, WPARAM wp, LPARAM lp)
        : QEvent(kPostedMessage), window(w), message(m), wParam(wp), lParam(lp) {}
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct Window {
    WNDPROC proc;
    QPointer<QWidget> widget; // none for message windows and the application window
    bool visible = false;
    bool iconic = false;
};

// The handle table; also receives the posted messages and the Qt events of real windows.
class WindowTable : public QObject {
public:
    static WindowTable& instance() {
        static WindowTable* table = new WindowTable;
        return *table;
    }

    HWND add(WindowProcFn fn, QWidget* widget) {
        const HWND handle = m_next++;
        Window& window = m_windows[handle];
        window.proc = makeObjectInstance(std::move(fn));
        window.widget = widget;
        return handle;
    }
    Window* find(HWND handle) {
        const auto it = m_windows.find(handle);
        return it == m_windows.end() ? nullptr : &it->second;
    }
    void erase(HWND handle) {
        if (const Window* window = find(handle); window && window->widget)
            m_byWidget.remove(window->widget.data());
        m_windows.erase(handle);
    }
    std::vector<HWND> handles() const {
        std::vector<HWND> result;
        for (const auto& [handle, window] : m_windows)
            result.push_back(handle);
        return result;
    }

    HWND handleOf(QWidget* widget) {
        if (const auto it = m_byWidget.constFind(widget); it != m_byWidget.constEnd())
            return it.value();
        const HWND handle = add(defWindowProc, widget);
        m_windows[handle].visible = widget->isVisible();
        m_byWidget.insert(widget, handle);
        widget->installEventFilter(this);
        // By then the widget's pointer is no more; its address may soon be a new widget's.
        connect(widget, &QObject::destroyed, this, [this, handle, widget] {
            sendMessage(handle, WM_DESTROY);
            m_byWidget.remove(widget);
            erase(handle);
        });
        return handle;
    }

    HWND application() {
        if (!m_application)
            m_application = add(defWindowProc, nullptr);
        return m_application;
    }

    QPointer<QWidget> mainWindow;
    bool showMainForm = true;
    std::map<QString, UINT> registered;

protected:
    bool event(QEvent* event) override {
        if (event->type() != kPostedMessage)
            return QObject::event(event);
        const auto* posted = static_cast<PostedMessage*>(event);
        sendMessage(posted->window, posted->message, posted->wParam, posted->lParam);
        return true;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto it = m_byWidget.constFind(watched);
        if (it == m_byWidget.constEnd())
            return false;
        translate(it.value(), static_cast<QWidget*>(watched), event);
        return false;
    }

private:
    static WPARAM sizeKind(const QWidget* widget) {
        if (widget->isMinimized())
            return SIZE_MINIMIZED;
        return widget->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
    }

    void translate(HWND handle, QWidget* widget, QEvent* event) {
        const bool isMain = widget == mainWindow;
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide: {
            const bool shown = event->type() == QEvent::Show;
            if (Window* window = find(handle))
                window->visible = shown;
            sendMessage(handle, WM_SHOWWINDOW, shown ? 1 : 0,
                        event->spontaneous() ? (shown ? SW_PARENTOPENING : SW_PARENTCLOSING) : 0);
            // The task-bar button comes with the main window.
            if (isMain && shown)
                setApplicationVisible(true);
            break;
        }
        case QEvent::WindowActivate:
            sendMessage(handle, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(m_lastDeactivated));
            break;
        case QEvent::WindowDeactivate:
            m_lastDeactivated = handle;
            sendMessage(handle, WM_ACTIVATE, WA_INACTIVE, 0);
            break;
        case QEvent::WindowStateChange: {
            const WPARAM kind = sizeKind(widget);
            sendMessage(handle, WM_SIZE, kind, makeLParam(widget->width(), widget->height()));
            // Minimising the main window minimises the program.
            if (Window* app = find(application()); isMain && app) {
                const bool iconic = kind == SIZE_MINIMIZED;
                if (iconic != app->iconic) {
                    app->iconic = iconic;
                    sendMessage(application(), WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED);
                }
            }
            break;
        }
        case QEvent::Resize:
            if (widget->isWindow())
                sendMessage(handle, WM_SIZE, sizeKind(widget),
                            makeLParam(widget->width(), widget->height()));
            break;
        case QEvent::Move:
            if (widget->isWindow())
                sendMessage(handle, WM_WINDOWPOSCHANGED);
            break;
        default:
            break;
        }
    }

public:
    void setApplicationVisible(bool visible) {
        Window* app = find(application());
        if (app->visible == visible)
            return;
        app->visible = visible;
        sendMessage(application(), WM_SHOWWINDOW, visible ? 1 : 0);
        sendMessage(application(), WM_WINDOWPOSCHANGED);
    }

private:
    WindowTable() = default;
    std::map<HWND, Window> m_windows;
    QHash<QObject*, HWND> m_byWidget;
    HWND m_next = 0x10000;
    HWND m_application = 0;
    HWND m_lastDeactivated = 0;
};

WindowTable& table() {
    return WindowTable::instance();
}

WNDPROC live(WNDPROC proc) {
    while (proc && proc->removed)
        proc = proc->previous;
    return proc;
}

} // namespace

WNDPROC makeObjectInstance(WindowProcFn fn) {
    auto proc = std::make_shared<WindowProcedure>();
    proc->fn = std::move(fn);
    return proc;
}

WNDPROC setWindowProc(HWND handle, const WNDPROC& proc) {
    Window* window = table().find(handle);
    if (!window || !proc)
        return nullptr;
    WNDPROC previous = window->proc;
    proc->previous = previous;
    proc->removed = false;
    window->proc = proc;
    return previous;
}

WNDPROC windowProc(HWND handle) {
    const Window* window = table().find(handle);
    return window ? window->proc : nullptr;
}

void removeWindowProc(HWND handle, const WNDPROC& installed) {
    if (!installed)
        return;
    installed->removed = true;
    if (Window* window = table().find(handle); window && window->proc == installed)
        window->proc = live(installed->previous);
}

LRESULT callWindowProc(const WNDPROC& proc, HWND window, UINT message, WPARAM wParam,
                       LPARAM lParam) {
    const WNDPROC target = live(proc);
    if (!target || !target->fn)
        return defWindowProc(window, message, wParam, lParam);
    return target->fn(window, message, wParam, lParam);
}

LRESULT defWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_SYSCOMMAND) {
        applySystemCommand(window, wParam);
        return 0;
    }
    // Log-off may proceed unless someone objects.
    return message == WM_QUERYENDSESSION ? 1 : 0;
}

HWND allocateHWnd(WindowProcFn proc) {
    return table().add(std::move(proc), nullptr);
}

void destroyWindow(HWND handle) {
    const Window* window = table().find(handle);
    if (!window || window->widget || handle == applicationWindow())
        return;
    sendMessage(handle, WM_DESTROY);
    table().erase(handle);
}

bool isWindow(HWND handle) {
    return handle != 0 && table().find(handle) != nullptr;
}

HWND handleOf(QWidget* widget) {
    return widget ? table().handleOf(widget->window()) : 0;
}

QWidget* widgetOf(HWND handle) {
    const Window* window = table().find(handle);
    return window ? window->widget.data() : nullptr;
}

HWND applicationWindow() {
    return table().application();
}

void setMainWindow(QWidget* window) {
    table().mainWindow = window;
    if (window)
        handleOf(window);
}

QWidget* mainWindow() {
    return table().mainWindow.data();
}

namespace {
QString& title() {
    static QString text;
    return text;
}
} // namespace

void setApplicationTitle(const QString& text) {
    title() = text;
}

// Until the program names itself: the executable's name cut at its first dot.
QString applicationTitle() {
    if (title().isEmpty())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName().section(u'.', 0, 0);
    return title();
}

bool showMainForm() {
    return table().showMainForm;
}

void setShowMainForm(bool show) {
    table().showMainForm = show;
}

LRESULT sendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* window = table().find(handle);
    if (!window)
        return 0;
    // The chain may change while the message runs; this call keeps its procedure alive.
    const WNDPROC proc = window->proc;
    return callWindowProc(proc, handle, message, wParam, lParam);
}

bool postMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!isWindow(handle))
        return false;
    QCoreApplication::postEvent(&table(), new PostedMessage(handle, message, wParam, lParam));
    return true;
}

void broadcastMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    sendMessage(applicationWindow(), message, wParam, lParam);
    for (const HWND handle : table().handles())
        if (handle != applicationWindow())
            sendMessage(handle, message, wParam, lParam);
}

UINT registerWindowMessage(const QString& name) {
    auto& registered = table().registered;
    const QString key = name.toCaseFolded();
    if (const auto it = registered.find(key); it != registered.end())
        return it->second;
    const UINT number = 0xC000 + static_cast<UINT>(registered.size());
    registered.emplace(key, number);
    return number;
}

bool showWindow(HWND handle, int command) {
    Window* window = table().find(handle);
    if (!window)
        return false;
    const bool wasVisible = window->visible;
    if (handle == applicationWindow()) {
        QWidget* main = mainWindow();
        if (command == SW_HIDE) {
            table().setApplicationVisible(false);
        } else if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
            if (main && main->isVisible())
                main->setWindowState(main->windowState() | Qt::WindowMinimized);
        } else {
            table().setApplicationVisible(true);
            // Restoring the program takes its main window out of the minimised state.
            if (command == SW_RESTORE && main && main->isVisible() && main->isMinimized())
                main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
        }
        return wasVisible;
    }
    QWidget* widget = window->widget.data();
    if (!widget) {
        window->visible = command != SW_HIDE;
        return wasVisible;
    }
    switch (command) {
    case SW_HIDE:
        widget->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        widget->showMinimized();
        break;
    case SW_SHOWMAXIMIZED:
        widget->showMaximized();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (widget->isMinimized())
            widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
        else if (command == SW_SHOWNORMAL)
            widget->setWindowState(Qt::WindowNoState);
        widget->show();
        break;
    default:
        widget->show();
        break;
    }
    return wasVisible;
}

bool isWindowVisible(HWND handle) {
    const Window* window = table().find(handle);
    return window && window->visible;
}

bool isIconic(HWND handle) {
    const Window* window = table().find(handle);
    if (!window)
        return false;
    return window->widget ? window->widget->isMinimized() : window->iconic;
}

bool setForegroundWindow(HWND handle) {
    if (!isWindow(handle))
        return false;
    if (QWidget* widget = widgetOf(handle); widget && widget->isVisible()) {
        widget->raise();
        widget->activateWindow();
    }
    return true;
}

bool getCursorPos(QPoint& position) {
    if (!QGuiApplication::primaryScreen())
        return false;
    position = QCursor::pos();
    return true;
}

qint16 getAsyncKeyState(int virtualKey) {
    const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
    Qt::KeyboardModifier wanted = Qt::NoModifier;
    switch (virtualKey) {
    case VK_SHIFT:
        wanted = Qt::ShiftModifier;
        break;
    case VK_CONTROL:
        wanted = Qt::ControlModifier;
        break;
    case VK_MENU:
        wanted = Qt::AltModifier;
        break;
    default:
        return 0;
    }
    return (modifiers & wanted) ? static_cast<qint16>(0x8000) : 0;
}

} // namespace quorvane::User

#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

class QObject;

namespace quorvane {

// The span in which a receiver takes events. The receiver keeps it as its last member, so it
// ends first thing after the receiver's destructor body: before the other members go, and
// before a window's children lose the focus, hide and are destroyed, which raise events that
// must not reach the half-destroyed receiver (a QPointer or destroyed() is too late for them).
class ReceiverLifetime {
public:
    ReceiverLifetime() = default;
    ReceiverLifetime(const ReceiverLifetime&) = delete;
    ReceiverLifetime& operator=(const ReceiverLifetime&) = delete;

    // What a bound function keeps to ask whether the receiver still lives.
    std::weak_ptr<const void> token() const { return m_token; }
    // The function, run only while the receiver lives; for Qt's connect as for events.
    template <typename F> auto guarded(F function) const {
        return [token = token(), function = std::move(function)](auto&&... args) {
            if (!token.expired())
                function(std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::shared_ptr<const void> m_token = std::make_shared<char>();
};

// A component's event (OnClick, OnPopup ...): empty, a plain function, or a function bound to
// a receiver's lifetime, which stops by itself when the receiver goes: nobody unhooks it.
template <typename... Args> class EventHandler {
public:
    EventHandler() = default;
    EventHandler(std::nullptr_t) {}
    template <typename F>
    requires(std::is_invocable_v<F&, Args...> &&
             !std::is_same_v<std::remove_cvref_t<F>, EventHandler>) EventHandler(F&& function)
        : m_function(std::forward<F>(function)) {}

    template <typename F>
    requires std::is_invocable_v<F&, Args...>
    void bind(const ReceiverLifetime& lifetime, F&& function) {
        m_function = std::forward<F>(function);
        m_receiver = lifetime.token();
        m_bound = true;
    }
    // The receiver's method, with the event's arguments or without them.
    template <typename T, typename Method>
    requires std::is_member_function_pointer_v<Method>
    void bind(const ReceiverLifetime& lifetime, T* receiver, Method method) {
        if constexpr (std::is_invocable_v<Method, T*, Args...>)
            bind(lifetime, [receiver, method](Args... args) { (receiver->*method)(args...); });
        else
            bind(lifetime, [receiver, method](Args...) { (receiver->*method)(); });
    }

    explicit operator bool() const { return m_function && (!m_bound || !m_receiver.expired()); }
    void operator()(Args... args) const {
        if (*this)
            m_function(std::forward<Args>(args)...);
    }

private:
    std::function<void(Args...)> m_function;
    std::weak_ptr<const void> m_receiver;
    bool m_bound = false;
};

using TNotifyEvent = EventHandler<QObject*>;

} // namespace quorvane

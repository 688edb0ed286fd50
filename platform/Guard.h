#pragma once
// Exceptions never cross a Qt event handler: every handler body runs inside `guarded`, which hands
// an escaping exception to the general error handler; the window stays open and usable.
#include "platform/UserDialogs.h"

#include <QObject>
#include <exception>
#include <type_traits>
#include <utility>

namespace plat {

template <typename F>
void guarded(F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showUnknownException();
    }
}

// A slot body that runs guarded. It takes exactly the arguments the body takes, so Qt passes the
// leading signal arguments the body wants (none for a body without parameters).
template <typename F>
struct GuardedSlot {
    F body;
    template <typename... A>
        requires std::is_invocable_v<F&, A...>
    void operator()(A&&... args) {
        guarded([&] { body(std::forward<A>(args)...); });
    }
};
// Spelled out for compilers without deduction for aggregates.
template <typename F>
GuardedSlot(F) -> GuardedSlot<F>;

// connect() whose slot runs guarded.
template <typename Sender, typename Signal, typename F>
QMetaObject::Connection onSignal(Sender* sender, Signal signal, QObject* context, F body) {
    return QObject::connect(sender, signal, context, GuardedSlot<F>{std::move(body)});
}

}  // namespace plat

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

// connect() whose slot runs guarded.
template <typename Sender, typename Signal, typename F>
QMetaObject::Connection onSignal(Sender* sender, Signal signal, QObject* context, F body) {
    return QObject::connect(sender, signal, context, [body = std::move(body)](auto&&... args) mutable {
        // Signals with a private tag (QTimer::timeout) reach bodies that take no arguments.
        if constexpr (std::is_invocable_v<F&, decltype(args)...>)
            guarded([&] { body(std::forward<decltype(args)>(args)...); });
        else
            guarded([&] { body(); });
    });
}

}  // namespace plat

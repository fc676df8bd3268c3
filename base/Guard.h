#pragma once

#include <QObject>

#include <functional>
#include <utility>

/// Runs a handler and hands any error it raises to the application's error display, so that
/// no exception crosses the event loop. Returns false when the handler failed.
bool guarded(const std::function<void()>& handler);

/// Connects a signal to a handler that runs inside the guard.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, QObject* context,
                                       Handler handler) {
    return QObject::connect(sender, signal, context,
                            [handler = std::move(handler)](auto&&...) { guarded(handler); });
}

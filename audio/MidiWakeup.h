#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

/// The hidden message window of a MIDI object: the callback thread posts a notification by
/// writing to an event counter (no allocation, no lock), and the GUI thread runs the handler
/// once per posted notification, in the order of each kind.
class MidiWakeup final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiWakeup)

public:
    enum Kind { Data = 0, Overflow = 1 };

    explicit MidiWakeup(std::function<void(Kind)> handler, QObject* parent = nullptr);
    ~MidiWakeup() override;

    /// Callable from any thread; async-signal-safe.
    void post(Kind kind) noexcept;

private:
    void activated(Kind kind);

    std::function<void(Kind)> m_handler;
    int m_fd[2] = {-1, -1};
    QSocketNotifier* m_notifier[2] = {nullptr, nullptr};
};

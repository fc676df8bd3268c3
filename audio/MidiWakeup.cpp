#include "audio/MidiWakeup.h"

#include "base/Guard.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

MidiWakeup::MidiWakeup(std::function<void(Kind)> handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {
    for (const Kind kind : {Data, Overflow}) {
        // A semaphore counter: every post adds one, every read takes one, so each posted
        // notification runs the handler exactly once.
        m_fd[kind] = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK | EFD_SEMAPHORE);
        if (m_fd[kind] < 0)
            continue;
        m_notifier[kind] = new QSocketNotifier(m_fd[kind], QSocketNotifier::Read, this);
        connectGuarded(m_notifier[kind], &QSocketNotifier::activated, this,
                       [this, kind] { activated(kind); });
    }
}

MidiWakeup::~MidiWakeup() {
    for (int i = 0; i < 2; ++i) {
        delete m_notifier[i];
        if (m_fd[i] >= 0)
            ::close(m_fd[i]);
    }
}

void MidiWakeup::post(Kind kind) noexcept {
    const std::uint64_t one = 1;
    if (m_fd[kind] >= 0) {
        const int saved = errno;
        [[maybe_unused]] const ssize_t written = ::write(m_fd[kind], &one, sizeof one);
        errno = saved;
    }
}

void MidiWakeup::activated(Kind kind) {
    std::uint64_t value = 0;
    if (::read(m_fd[kind], &value, sizeof value) != ssize_t(sizeof value))
        return;
    if (m_handler)
        m_handler(kind);
}

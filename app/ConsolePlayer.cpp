#include "app/ConsolePlayer.h"

#include "audio/OfflineRender.h"
#include "audio/SoundDevice.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void requestStop(int) {
    g_stop = 1;
}

/// The stop request replaces the default handlers while playing and restores them after.
class StopOnSignal {
public:
    StopOnSignal() {
        g_stop = 0;
        struct sigaction action {};
        action.sa_handler = requestStop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopOnSignal() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

QString clock(double seconds) {
    const int s = int(seconds);
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ConsolePlayer::ConsolePlayer(OfflineRender& render, QString title)
    : m_render(render), m_title(std::move(title)), m_terminal(isatty(STDOUT_FILENO) == 1) {}

void ConsolePlayer::showProgress(double seconds, double total, bool force) {
    if (!m_terminal || (!force && int(seconds) == m_shownSecond))
        return;
    m_shownSecond = int(seconds);
    std::printf("\r%s  %s / %s ", qPrintable(m_title), qPrintable(clock(seconds)),
                qPrintable(clock(total)));
    std::fflush(stdout);
}

int ConsolePlayer::run() {
    StopOnSignal stopOnSignal;
    SoundDevice& device = SoundDevice::instance();
    const double total = double(m_render.totalSamples()) / SoundDevice::kSampleRate;
    // Pieces of 100 ms: a stop is heard at once, and the device never waits for the next.
    constexpr std::size_t kPiece = SoundDevice::kSampleRate / 10;
    std::vector<std::int16_t> pending;
    std::uint64_t played = 0;
    showProgress(0, total, true);
    bool more = true;
    while (!g_stop && (more || !pending.empty())) {
        if (pending.size() < kPiece && more) {
            more = m_render.renderNext(pending);
            continue;
        }
        const std::size_t count = std::min(kPiece, pending.size());
        device.play(pending.data(), count);
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(count));
        played += count;
        showProgress(double(played) / SoundDevice::kSampleRate, total, false);
    }
    if (g_stop) {
        // What is still queued is not played out.
        SoundDevice::shutdown();
        if (m_terminal)
            std::printf("\n");
        return kStoppedExitCode;
    }
    device.drain();
    showProgress(total, total, true);
    if (m_terminal)
        std::printf("\n");
    return 0;
}

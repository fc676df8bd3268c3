#include "audio/KernelSpeaker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#ifdef __linux__
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>
#endif

namespace {

struct SpeakerState {
    std::mutex mutex;
    QString overridePath;
    bool searched = false;
    std::unique_ptr<KernelSpeaker> speaker;
};

SpeakerState& state() {
    static SpeakerState s;
    return s;
}

QString findDevice() {
    const QString overridePath = state().overridePath;
    if (!overridePath.isEmpty())
        return overridePath;
    // Sound sent to a file or to nowhere on purpose (SDL's disk and dummy drivers) stays there.
    const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
    if (driver == "disk" || driver == "dummy")
        return QString();
    const QDir byPath(QStringLiteral("/dev/input/by-path"));
    const QStringList names =
        byPath.entryList({QStringLiteral("*-event-spkr")}, QDir::System | QDir::Files);
    return names.isEmpty() ? QString() : byPath.filePath(names.first());
}

} // namespace

KernelSpeaker* KernelSpeaker::instance() {
    SpeakerState& s = state();
    const std::lock_guard lock(s.mutex);
    if (s.searched)
        return s.speaker.get();
    s.searched = true;
#ifdef __linux__
    const QString path = findDevice();
    if (path.isEmpty())
        return nullptr;
    // Opened for writing only: reading the device's key events is not needed, and a udev rule
    // that grants a group write access is all a user must be given.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    s.speaker.reset(new KernelSpeaker(fd, path));
#endif
    return s.speaker.get();
}

void KernelSpeaker::setDevicePath(const QString& path) {
    SpeakerState& s = state();
    const std::lock_guard lock(s.mutex);
    s.speaker.reset();
    s.overridePath = path;
    s.searched = false;
}

KernelSpeaker::KernelSpeaker(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}

KernelSpeaker::~KernelSpeaker() {
#ifdef __linux__
    if (m_fd >= 0) {
        start(0);
        ::close(m_fd);
    }
#endif
}

void KernelSpeaker::start(int frequencyHz) {
    const int value = frequencyHz > 0 ? frequencyHz : 0;
    if (value == 0 && m_sounding == 0)
        return;
    m_sounding = value;
#ifdef __linux__
    input_event events[2] = {};
    events[0].type = EV_SND;
    events[0].code = SND_TONE;
    events[0].value = value;
    events[1].type = EV_SYN;
    events[1].code = SYN_REPORT;
    // The driver takes the event at once; a failed write leaves the speaker as it was, which
    // is all that can be done in the middle of a song.
    [[maybe_unused]] const ssize_t written = ::write(m_fd, events, sizeof events);
#endif
}

void KernelSpeaker::play(int frequencyHz, int durationMs) {
    start(frequencyHz);
    if (durationMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(durationMs));
    start(0);
}

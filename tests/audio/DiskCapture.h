#pragma once

// Listening to the program's real sound output: the SDL "disk" driver writes every sample the
// device plays to a file, which the tests read back and analyse.

#include "audio/SoundDevice.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

/// While alive, the sound device writes to a file; samples() closes the device and reads it.
class DiskCapture {
public:
    DiskCapture() {
        SoundDevice::shutdown();
        m_oldDriver = qgetenv("SDL_AUDIODRIVER");
        m_path = m_dir.path() + QStringLiteral("/out.raw");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", m_path.toLocal8Bit());
        // The driver writes its file anew whenever the device opens: it must not rest (and
        // reopen) in the middle of a capture, however slowly the test runs.
        SoundDevice::setIdleTimeout(std::chrono::minutes(10));
        SoundDevice::instance();
    }
    ~DiskCapture() {
        SoundDevice::shutdown();
        SoundDevice::setIdleTimeout(std::chrono::seconds(3));
        qputenv("SDL_AUDIODRIVER", m_oldDriver);
        qunsetenv("SDL_DISKAUDIOFILE");
    }
    DiskCapture(const DiskCapture&) = delete;
    DiskCapture& operator=(const DiskCapture&) = delete;

    /// Everything played so far, after it has drained; the device is closed.
    std::vector<std::int16_t> samples() {
        SoundDevice::instance().drain();
        SoundDevice::shutdown();
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        std::vector<std::int16_t> out(static_cast<std::size_t>(bytes.size()) / 2);
        // An empty capture has no buffer at all, and copying from or to none is undefined.
        if (!out.empty())
            std::memcpy(out.data(), bytes.constData(), out.size() * 2);
        return out;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_oldDriver;
};

/// A stretch of sound between silences, in samples of the captured stream.
struct ToneSegment {
    std::size_t start = 0;
    std::size_t length = 0;
    int crossings = 0; ///< zero crossings, with hysteresis

    double milliseconds() const { return length * 1000.0 / SoundDevice::kSampleRate; }
    double startMs() const { return start * 1000.0 / SoundDevice::kSampleRate; }
    double frequency() const {
        return length ? crossings / 2.0 * SoundDevice::kSampleRate / length : 0;
    }
};

/// Splits the stream into sounding stretches. A sample sounds when its magnitude exceeds
/// @p threshold; quiet runs shorter than @p bridge samples (a sine passing zero) stay inside a
/// stretch.
inline std::vector<ToneSegment> toneSegments(const std::vector<std::int16_t>& s,
                                             int threshold = 1024, std::size_t bridge = 44) {
    std::vector<ToneSegment> out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto loud = [&](std::size_t k) { return std::abs(int(s[k])) > threshold; };
    while (i < n) {
        while (i < n && !loud(i))
            ++i;
        if (i >= n)
            break;
        ToneSegment seg;
        seg.start = i;
        std::size_t lastLoud = i;
        int sign = s[i] > 0 ? 1 : -1;
        for (; i < n; ++i) {
            if (loud(i)) {
                const int now = s[i] > 0 ? 1 : -1;
                if (now != sign) {
                    ++seg.crossings;
                    sign = now;
                }
                lastLoud = i;
            } else if (i - lastLoud > bridge) {
                break;
            }
        }
        seg.length = lastLoud + 1 - seg.start;
        out.push_back(seg);
    }
    return out;
}

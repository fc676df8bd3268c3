#include "audio/SynthWave.h"

#include "audio/SoundDevice.h"
#include "base/Errors.h"

#include <QtEndian>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace SynthWave {

namespace {

// π rounded to the 64-bit significand of the extended format.
constexpr long double kPiExtended = 3.14159265358979323846264338327950288L;

void putU32(char* at, quint32 value) {
    qToLittleEndian(value, at);
}

void putU16(char* at, quint16 value) {
    qToLittleEndian(value, at);
}

quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// The waveform value for the sample at x, as waveValue gives it, but cheaper: the extended sine
// costs ten times the double one, and outside a narrow band the double sine gives the same
// sample (the same sign, the same integer part of value × volume). The band is wider than
// the double's error: the rounding of x to a double and the sine's own last-bit error.
long double sampleValue(int waveform, long double x, int volume) {
    if (waveform != 0 && waveform != 1)
        return waveValue(waveform, x);
    const double s = std::sin(static_cast<double>(x));
    if (volume == 0)
        return s; // silence whatever the value
    const double margin =
        (std::fabs(static_cast<double>(x)) * 0x1p-52 + 0x1p-48) * (std::abs(volume) + 1);
    if (std::fabs(s) > margin) {
        if (waveform == 1)
            return s > 0 ? 1.0L : -1.0L;
        const double scaled = s * volume;
        if (std::fabs(scaled - std::nearbyint(scaled)) > margin)
            return s;
    }
    return waveValue(waveform, x);
}

// 2π·f, reckoned in extended precision and held as a double.
double angularFrequency(int frequencyHz) {
    return static_cast<double>(static_cast<long double>(frequencyHz) * 2.0L * kPiExtended);
}

// The low eight bits of trunc(v). Beyond what a 64-bit integer holds fmod keeps them exact and
// defined. A value without meaning (square root of a negative x) is silence.
int lowBits(long double v) {
    if (std::fabs(v) < 0x1p62L)
        return static_cast<int>(static_cast<qint64>(v) & 0xFF);
    if (std::isfinite(v))
        return static_cast<int>(std::fmod(std::trunc(v), 256.0L));
    return 0;
}

} // namespace

long double waveValue(int waveform, long double x) {
    switch (waveform) {
    case 0:
        return std::sin(x);
    case 1: {
        const long double s = std::sin(x);
        return s > 0 ? 1.0L : (s < 0 ? -1.0L : 0.0L);
    }
    case 2:
        return std::sqrt(x);
    case 3:
        return x * x;
    default:
        return 0.0L;
    }
}

qint64 sampleCount(int lengthMs) {
    if (lengthMs <= 0)
        return 0;
    return qint64(lengthMs) * kSampleRate / 1000;
}

QByteArray buildImage(int frequencyHz, int lengthMs, int volume,
                      const std::function<int()>& waveform) {
    const qint64 n = sampleCount(lengthMs);
    if (n > kMaxSamples)
        throw AppError(QStringLiteral("Zu wenig Arbeitsspeicher"));

    QByteArray image(kHeaderSize + n, Qt::Uninitialized);
    char* h = image.data();
    std::memcpy(h, "RIFF", 4);
    putU32(h + 4, quint32(38 + n));
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    putU32(h + 16, 18);
    putU16(h + 20, 1);
    putU16(h + 22, 1);
    putU32(h + 24, kSampleRate);
    putU32(h + 28, kSampleRate);
    putU16(h + 32, 1);
    putU16(h + 34, 8);
    putU16(h + 36, 0);
    std::memcpy(h + 38, "data", 4);
    putU32(h + 42, quint32(n));

    renderSamples(frequencyHz, volume, waveform, 0, n,
                  reinterpret_cast<unsigned char*>(h + kHeaderSize));
    return image;
}

void renderSamples(int frequencyHz, int volume, const std::function<int()>& waveform,
                   qint64 first, qint64 count, unsigned char* samples) {
    // The angular frequency is reckoned in extended precision and then held as a double;
    // everything after it runs in extended precision again. Both roundings decide the samples
    // that fall on a zero crossing of the square (the sign of a sine that is nearly 0) and the
    // low bits of the fast-growing waveforms: 2π·f rounded straight to a double differs in
    // the last bit for thousands of frequencies, and at ±20,981 Hz that moves whole samples.
    const double omega = angularFrequency(frequencyHz);
    for (qint64 k = 0; k < count; ++k) {
        const qint64 i = first + k;
        const long double x = static_cast<long double>(i) * omega / kSampleRate;
        const long double v = sampleValue(waveform(), x, volume) * volume;
        samples[k] = static_cast<unsigned char>((lowBits(v) + 127) & 0xFF);
    }
}

void renderTwoVoices(const std::array<int, 2>& frequencies, const std::array<qint64, 2>& lengths,
                     int volume, int waveform, qint64 first, qint64 count, unsigned char* samples) {
    std::array<double, 2> omega{};
    for (std::size_t j = 0; j < 2; ++j)
        omega[j] = angularFrequency(frequencies[j]);
    for (qint64 k = 0; k < count; ++k) {
        const qint64 i = first + k;
        int low = 0;
        for (std::size_t j = 0; j < 2; ++j) {
            if (i >= lengths[j])
                continue;
            const long double x = static_cast<long double>(i) * omega[j] / kSampleRate;
            // Half the amplitude each: the sum of the two stays within what one voice reaches.
            low += lowBits(sampleValue(waveform, x, volume) * volume / 2);
        }
        samples[k] = static_cast<unsigned char>((low + 127) & 0xFF);
    }
}

bool playImage(const QByteArray& image) {
    if (image.size() < 12 || !image.startsWith("RIFF") || image.mid(8, 4) != "WAVE")
        return false;
    int channels = 0;
    quint32 rate = 0;
    int bits = 0;
    qsizetype dataAt = -1;
    qsizetype dataSize = 0;
    qsizetype at = 12;
    while (at + 8 <= image.size()) {
        const QByteArray id = image.mid(at, 4);
        const qsizetype size = u32(image, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= image.size()) {
            if (u16(image, body) != 1)
                return false;
            channels = u16(image, body + 2);
            rate = u32(image, body + 4);
            bits = u16(image, body + 14);
        } else if (id == "data") {
            dataAt = body;
            dataSize = std::min<qsizetype>(size, image.size() - body);
            break;
        }
        at = body + size + (size & 1);
    }
    if (dataAt < 0 || channels != 1 || rate != quint32(SoundDevice::kSampleRate))
        return false;

    SoundDevice& device = SoundDevice::instance();
    if (bits == 8) {
        device.playU8(reinterpret_cast<const std::uint8_t*>(image.constData() + dataAt),
                      std::size_t(dataSize));
        return true;
    }
    if (bits == 16) {
        std::vector<std::int16_t> samples(std::size_t(dataSize / 2));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = qFromLittleEndian<qint16>(image.constData() + dataAt + 2 * qsizetype(i));
        device.play(samples.data(), samples.size());
        return true;
    }
    return false;
}

} // namespace SynthWave

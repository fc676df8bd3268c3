#pragma once

#include <QByteArray>

#include <array>
#include <functional>

/// The waveform synthesiser: one tone as a complete 8-bit mono WAV image at 44,100 samples
/// per second, and playing such an image from memory.
namespace SynthWave {

constexpr int kSampleRate = 44100;
constexpr int kHeaderSize = 46;
constexpr int kHighestFrequency = kSampleRate / 2;
/// The largest image built: a tone longer than this (about 6.7 hours) is refused.
constexpr qint64 kMaxSamples = qint64(1) << 30;

/// The waveform value at x for the waveform index: 0 sine, 1 square (sign of the sine),
/// 2 square root, 3 noise (x·x); any other index gives 0. Computed in extended precision.
long double waveValue(int waveform, long double x);

/// Number of samples of a tone of @p lengthMs (0 for a negative length).
qint64 sampleCount(int lengthMs);

/// The WAV image of a tone: header and samples, each sample
/// (trunc(value × volume) + 127) mod 256. @p waveform is read once per sample.
/// Throws AppError "Zu wenig Arbeitsspeicher" for a tone longer than kMaxSamples.
QByteArray buildImage(int frequencyHz, int lengthMs, int volume,
                      const std::function<int()>& waveform);

/// Samples @p first … @p first + @p count − 1 of the tone buildImage makes, without its header:
/// a tone of any length can be rendered piece by piece.
void renderSamples(int frequencyHz, int volume, const std::function<int()>& waveform,
                   qint64 first, qint64 count, unsigned char* samples);

/// Two voices of the waveform output mixed, samples @p first … @p first + @p count − 1 of a
/// line: voice j sounds @p frequencies[j] for its first @p lengths[j] samples, each at half the
/// volume, so the mix reaches no further than one voice does (sine and square never clip):
/// (trunc(v1 × volume / 2) + trunc(v2 × volume / 2) + 127) mod 256. A voice of length 0 is
/// silent.
void renderTwoVoices(const std::array<int, 2>& frequencies, const std::array<qint64, 2>& lengths,
                     int volume, int waveform, qint64 first, qint64 count, unsigned char* samples);

/// Plays a PCM WAV image (mono, 44,100 Hz, 8 or 16 bits) from memory and returns when it has
/// been played. Returns false, playing nothing, for an image it cannot read.
bool playImage(const QByteArray& image);

} // namespace SynthWave

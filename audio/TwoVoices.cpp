#include "audio/TwoVoices.h"

#include "audio/SynthWave.h"
#include "audio/SystemBeep.h"

#include <algorithm>

namespace TwoVoices {

namespace {

// The mix, computed as the device plays it: a voice of any length needs no memory for its
// samples, and the same computation writes the exports.
class WaveBlock final : public SoundBlock {
public:
    WaveBlock(const Line& line, int volume, int wave)
        : m_frequencies{line.freq1, line.freq2}, m_lengths(waveLengths(line)), m_volume(volume),
          m_wave(wave) {}
    std::uint64_t length() const override {
        return std::uint64_t(std::max(m_lengths[0], m_lengths[1]));
    }
    void render(std::int16_t* out, std::uint64_t offset, int frames) const override {
        unsigned char bytes[512];
        for (int done = 0; done < frames;) {
            const int n = std::min(frames - done, int(sizeof bytes));
            SynthWave::renderTwoVoices(m_frequencies, m_lengths, m_volume, m_wave,
                                       qint64(offset) + done, n, bytes);
            // Eight-bit samples reach the device as 16-bit ones, as one voice's image does.
            for (int i = 0; i < n; ++i)
                out[done + i] = std::int16_t((int(bytes[i]) - 128) * 256);
            done += n;
        }
    }

private:
    std::array<int, 2> m_frequencies;
    std::array<qint64, 2> m_lengths;
    int m_volume;
    int m_wave;
};

qint64 voiceLength(int frequency, int durationMs, qint64 lineSamples) {
    if (frequency <= 0 || frequency > SynthWave::kHighestFrequency)
        return 0;
    return std::min(SynthWave::sampleCount(durationMs / 2), lineSamples);
}

} // namespace

std::array<qint64, 2> waveLengths(const Line& line) {
    const qint64 lineSamples = SynthWave::sampleCount(line.dur1);
    return {voiceLength(line.freq1, line.dur1, lineSamples),
            voiceLength(line.freq2, line.dur2, lineSamples)};
}

std::unique_ptr<SoundBlock> block(const Line& line, bool waveform, int volume, int wave) {
    if (waveform)
        return std::make_unique<WaveBlock>(line, volume, wave);
    return beepArpeggio(line.freq1, line.dur1, line.freq2, line.dur2);
}

} // namespace TwoVoices

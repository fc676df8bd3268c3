#include "audio/SystemBeep.h"

#include "audio/SoundDevice.h"

#include <algorithm>
#include <cstdint>

namespace {

std::function<void(int, int)>& beepHook() {
    static std::function<void(int, int)> hook;
    return hook;
}

bool audible(int frequencyHz) {
    return frequencyHz >= kBeepMinFrequency && frequencyHz <= kBeepMaxFrequency &&
           frequencyHz <= kBeepHighestAudible;
}

std::int64_t sampleCount(int durationMs) {
    return durationMs <= 0
               ? 0
               : static_cast<std::int64_t>(durationMs) * SoundDevice::kSampleRate / 1000;
}

// Square wave samples continuing at `phase`, the position within the period in exact integer
// steps (i·f mod rate); the first half of each period is high. No drift over long tones.
void renderSquare(int frequencyHz, short* out, std::size_t count, std::int64_t& phase) {
    const std::int64_t rate = SoundDevice::kSampleRate;
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = 2 * phase < rate ? kBeepAmplitude : static_cast<short>(-kBeepAmplitude);
        phase += frequencyHz;
        if (phase >= rate)
            phase %= rate;
    }
}

// The beep as a block of the sound device: rendered as it plays, so a tone of any length
// needs no memory for its samples.
class BeepBlock final : public SoundBlock {
public:
    BeepBlock(int frequencyHz, std::int64_t count, std::uint64_t first = 0)
        : m_frequency(audible(frequencyHz) ? frequencyHz : 0), m_count(std::uint64_t(count)),
          m_first(first) {}
    std::uint64_t length() const override { return m_count; }
    void render(std::int16_t* out, std::uint64_t offset, int frames) const override {
        if (m_frequency == 0) {
            std::fill_n(out, frames, std::int16_t(0));
            return;
        }
        // The phase of sample i is i·f mod rate, exactly as renderSquare counts it.
        std::int64_t phase =
            std::int64_t((m_first + offset) % std::uint64_t(SoundDevice::kSampleRate)) *
                             m_frequency % SoundDevice::kSampleRate;
        renderSquare(m_frequency, out, std::size_t(frames), phase);
    }

private:
    int m_frequency = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_first = 0;
};

// Two voices on one speaker: where both sound, slices of the line alternate between them,
// track 1 first; each voice keeps its own phase, as if it sounded all along.
class ArpeggioBlock final : public SoundBlock {
public:
    ArpeggioBlock(int frequency1, std::int64_t count, int frequency2, std::int64_t count2)
        : m_frequency{audible(frequency1) ? frequency1 : 0, audible(frequency2) ? frequency2 : 0},
          m_count(std::uint64_t(count)), m_count2(std::uint64_t(std::min(count, count2))) {}
    std::uint64_t length() const override { return m_count; }
    void render(std::int16_t* out, std::uint64_t offset, int frames) const override {
        constexpr std::uint64_t slice = kArpeggioSliceSamples;
        int done = 0;
        while (done < frames) {
            const std::uint64_t at = offset + std::uint64_t(done);
            const bool second = m_frequency[1] != 0 && at < m_count2;
            const bool first = m_frequency[0] != 0;
            // The rest of this slice, and no further than where voice 2 ends.
            std::uint64_t until = (at / slice + 1) * slice;
            if (second)
                until = std::min(until, m_count2);
            const int n = int(std::min<std::uint64_t>(until - at, std::uint64_t(frames - done)));
            const int frequency = first && second ? m_frequency[(at / slice) % 2]
                                  : first         ? m_frequency[0]
                                  : second        ? m_frequency[1]
                                                  : 0;
            if (frequency == 0) {
                std::fill_n(out + done, n, std::int16_t(0));
            } else {
                std::int64_t phase = std::int64_t(at % std::uint64_t(SoundDevice::kSampleRate)) *
                                     frequency % SoundDevice::kSampleRate;
                renderSquare(frequency, out + done, std::size_t(n), phase);
            }
            done += n;
        }
    }

private:
    int m_frequency[2];
    std::uint64_t m_count = 0;
    std::uint64_t m_count2 = 0;
};

} // namespace

std::unique_ptr<SoundBlock> beepArpeggio(int frequency1, int durationMs, int frequency2,
                                         int duration2Ms) {
    return std::make_unique<ArpeggioBlock>(frequency1, sampleCount(durationMs), frequency2,
                                           sampleCount(duration2Ms));
}

std::unique_ptr<SoundBlock> beepBlock(int frequencyHz, int durationMs) {
    return std::make_unique<BeepBlock>(frequencyHz, sampleCount(durationMs));
}

std::unique_ptr<SoundBlock> beepPiece(int frequencyHz, std::uint64_t first, std::uint64_t count) {
    return std::make_unique<BeepBlock>(frequencyHz, std::int64_t(count), first);
}

std::vector<short> renderBeep(int frequencyHz, int durationMs) {
    std::vector<short> samples(static_cast<std::size_t>(sampleCount(durationMs)), 0);
    std::int64_t phase = 0;
    if (audible(frequencyHz))
        renderSquare(frequencyHz, samples.data(), samples.size(), phase);
    return samples;
}

void SystemBeep(int frequencyHz, int durationMs) {
    if (auto& hook = beepHook()) {
        hook(frequencyHz, durationMs);
        return;
    }
    SoundDevice::instance().play(beepBlock(frequencyHz, durationMs));
}

void setSystemBeepHook(std::function<void(int, int)> hook) {
    beepHook() = std::move(hook);
}

bool systemBeepHooked() {
    return bool(beepHook());
}

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

} // namespace

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

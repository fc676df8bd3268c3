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

} // namespace

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
    // Played in pieces of one second, so that a long tone needs no memory for its whole length;
    // each piece is queued while the previous one still plays, so they join without a gap.
    const std::int64_t total = sampleCount(durationMs);
    std::vector<short> piece(
        static_cast<std::size_t>(std::min<std::int64_t>(total, SoundDevice::kSampleRate)), 0);
    std::int64_t phase = 0;
    for (std::int64_t done = 0; done < total;) {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(total - done, std::int64_t(piece.size())));
        if (audible(frequencyHz))
            renderSquare(frequencyHz, piece.data(), count, phase);
        SoundDevice::instance().play(piece.data(), count);
        done += std::int64_t(count);
    }
}

void setSystemBeepHook(std::function<void(int, int)> hook) {
    beepHook() = std::move(hook);
}

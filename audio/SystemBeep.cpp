#include "audio/SystemBeep.h"

#include "audio/SoundDevice.h"

#include <cstdint>

namespace {

std::function<void(int, int)>& beepHook() {
    static std::function<void(int, int)> hook;
    return hook;
}

} // namespace

std::vector<short> renderBeep(int frequencyHz, int durationMs) {
    if (durationMs <= 0)
        return {};
    const auto count = static_cast<std::size_t>(static_cast<std::int64_t>(durationMs) *
                                                SoundDevice::kSampleRate / 1000);
    std::vector<short> samples(count, 0);
    if (frequencyHz < kBeepMinFrequency || frequencyHz > kBeepMaxFrequency ||
        frequencyHz > kBeepHighestAudible)
        return samples;
    // Position within the period in exact integer steps: i·f mod rate; the first half of each
    // period is high. No drift over long tones.
    const std::int64_t rate = SoundDevice::kSampleRate;
    std::int64_t phase = 0;
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] = 2 * phase < rate ? kBeepAmplitude : static_cast<short>(-kBeepAmplitude);
        phase += frequencyHz;
        if (phase >= rate)
            phase %= rate;
    }
    return samples;
}

void SystemBeep(int frequencyHz, int durationMs) {
    if (auto& hook = beepHook()) {
        hook(frequencyHz, durationMs);
        return;
    }
    const std::vector<short> samples = renderBeep(frequencyHz, durationMs);
    if (!samples.empty())
        SoundDevice::instance().play(samples.data(), samples.size());
}

void setSystemBeepHook(std::function<void(int, int)> hook) {
    beepHook() = std::move(hook);
}

#pragma once

#include <cstdint>

/// A continuous producer of sound that the sound device mixes in (a synthesiser that renders
/// events at the sample times they carry).
class SampleSource {
public:
    virtual ~SampleSource() = default;
    // Adds `frames` samples for device sample times [start, start+frames) into `mix` (int32,
    // mono, 44.1 kHz). Runs on the audio thread: no allocation, no blocking.
    virtual void mixInto(std::int32_t* mix, int frames, std::uint64_t start) = 0;
    // True while the source may still produce sound (keeps the device streaming).
    virtual bool active() const = 0;
};

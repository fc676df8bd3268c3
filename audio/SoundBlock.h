#pragma once

#include <cstdint>

/// One finite sound waiting in the sound device's queue: rendered piece by piece as the device
/// plays it, so a long tone needs no memory for its whole length.
class SoundBlock {
public:
    virtual ~SoundBlock() = default;
    /// Length in samples.
    virtual std::uint64_t length() const = 0;
    /// Writes samples [offset, offset + frames) of the sound to @p out. Called on the audio
    /// thread with increasing offsets: no allocation, no blocking.
    virtual void render(std::int16_t* out, std::uint64_t offset, int frames) const = 0;
};

#pragma once

#include "audio/SoundBlock.h"

#include <cstdint>
#include <memory>

/// One line sounded once to hear it ("Vorhören"): queued on the sound device in short pieces,
/// so that the next line, or Play, cuts it short within a piece.
class Audition final {
public:
    /// Piece length: 20 ms.
    static constexpr std::uint64_t kPieceSamples = 882;
    /// The longest stretch of a line sounded: 10 s (a line may last days).
    static constexpr std::uint64_t kLongestSamples = 10 * 44100;

    Audition() = default;
    Audition(const Audition&) = delete;
    Audition& operator=(const Audition&) = delete;

    /// Cuts short what sounds, then sounds @p block from now (at most kLongestSamples of it).
    void play(std::unique_ptr<SoundBlock> block);
    /// Takes back the pieces not yet heard.
    void cut();

private:
    bool m_queued = false;
    std::uint64_t m_from = 0; ///< the first piece's start on the device's clock
};

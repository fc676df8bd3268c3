#pragma once

#include "audio/SoundBlock.h"

#include <QtGlobal>

#include <array>
#include <memory>

/// Both tracks of a line sounding at once on the speaker and the waveform outputs ("Zweistimmig").
/// Play and every export take a line's sound from here, so what is written equals what is heard,
/// sample for sample.
namespace TwoVoices {

/// One line: both tracks' frequencies and durations. The line lasts track 1's duration.
struct Line {
    int freq1 = 0;
    int dur1 = 0;
    int freq2 = 0;
    int dur2 = 0;
};

/// Samples of each voice the waveform output sounds: half the voice's duration (as one voice
/// sounds half the line), within the line; none for a rest or a frequency above 22050 Hz.
std::array<qint64, 2> waveLengths(const Line& line);

/// The line's sound. Speaker: the two frequencies alternating in short slices (an arpeggio),
/// exactly the line's length. Waveform output: both voices mixed at half amplitude each, as
/// long as the longer voice sounds; the rest of the line is silence.
std::unique_ptr<SoundBlock> block(const Line& line, bool waveform, int volume, int wave);

} // namespace TwoVoices

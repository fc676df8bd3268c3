#pragma once

#include "audio/SoundBlock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

/// The system beep: a square wave of @p frequencyHz for @p durationMs on the sound device;
/// returns when the tone has been played. Frequency 0 (a rest) and frequencies outside
/// 37 … 32767 Hz, the range the beep service accepts, give silence for the duration; so do
/// frequencies above 22050 Hz, which the device cannot carry (they would fold back into
/// audible false tones) and which no speaker makes heard anyway.
void SystemBeep(int frequencyHz, int durationMs);

/// When set, SystemBeep calls go to @p hook instead of the sound device; an empty function
/// restores the device.
void setSystemBeepHook(std::function<void(int frequencyHz, int durationMs)> hook);

/// True while a hook takes the calls.
bool systemBeepHooked();

/// The beep as a block for the sound device: the samples renderBeep gives, made as they play.
std::unique_ptr<SoundBlock> beepBlock(int frequencyHz, int durationMs);

/// The beep's two voices on one speaker, for @p durationMs (the line's length): track 1's
/// frequency throughout and track 2's for its own duration within the line, alternating every
/// kArpeggioSliceSamples where both sound (an arpeggio); a voice the beep does not sound (a rest,
/// a frequency out of range) leaves its slices to the other.
std::unique_ptr<SoundBlock> beepArpeggio(int frequency1, int durationMs, int frequency2,
                                         int duration2Ms);

/// Samples [first, first + count) of the beep's square wave: pieces of one long tone, queued
/// one after another, join without a seam, and a tone can be cut short between pieces.
std::unique_ptr<SoundBlock> beepPiece(int frequencyHz, std::uint64_t first, std::uint64_t count);

/// The samples of the beep's square wave (amplitude kBeepAmplitude, starting high); empty for
/// a non-positive duration, all zero for a frequency that is not sounded.
std::vector<short> renderBeep(int frequencyHz, int durationMs);

constexpr short kBeepAmplitude = 8192;
/// One slice of the two-voice arpeggio: 20 ms.
constexpr int kArpeggioSliceSamples = 882;
constexpr int kBeepMinFrequency = 37;
constexpr int kBeepMaxFrequency = 32767;
/// The highest frequency the 44,100 Hz device can carry.
constexpr int kBeepHighestAudible = 22050;

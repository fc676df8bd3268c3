#pragma once

#include "song/SongEntry.h"

#include <QString>

#include <optional>

class Song;

/// The check a song line passes before it plays or is exported: both frequencies and both
/// durations whole numbers in the range the outputs take. A line read from a file may hold
/// anything; playback sounds the lines before such a line and stops there with a message that
/// names it.
namespace PlayableLine {

/// The frequencies entry takes are the ones that play.
constexpr int kHighestFrequency = SongEntry::kMaxFrequency;
constexpr int kLongestDuration = 2147483647;

struct Values {
    int freq1 = 0;
    int dur1 = 0;
    int freq2 = 0;
    int dur2 = 0;
};

/// The line's values, or nothing when one of its four fields is no whole number in range
/// (frequency 0 … 32767 Hz, duration 0 … 2147483647 ms).
std::optional<Values> read(const Song& song, int line);

/// "Zeile 4 kann nicht gespielt werden: „abc|250|0|250“. …", with the line's number as the
/// song shows it and its text in the song file's form.
QString message(const Song& song, int line);

} // namespace PlayableLine

#pragma once

#include "files/SongFormat.h"

#include <QList>

/// One tone as the speaker and the waveform output sound a song line: track 1's frequency, or
/// track 2's where track 1 rests (0 when both rest), for track 1's duration.
struct PlayedTone {
    int frequency = 0;
    int durationMs = 0;
    bool operator==(const PlayedTone&) const = default;
};

/// The song's lines joined the way Play joins them. Throws EConvertError for a frequency or
/// duration that is no whole number, as Play would.
QList<PlayedTone> playedTones(const SongTracks& song);

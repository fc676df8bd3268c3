#pragma once

#include "files/PlayedTones.h"

#include <QByteArray>
#include <QString>

/// The song for places outside the program: a sketch for a board with a piezo buzzer, and a
/// shell script for the Linux `beep` command. Both play the tones as Play joins the tracks,
/// each for its exact duration in milliseconds.
namespace BuzzerExport {

/// The pin the sketch plays on unless the user changes the line at its top.
constexpr int kDefaultPin = 8;

/// A self-contained sketch: the frequencies and durations as tables in program memory (so that
/// long songs fit the board's small working memory), played once from setup() with tone() on
/// the pin named at the top, a rest as noTone() for its duration. Lines of no duration are
/// left out; frequencies are kept within 0 … 65535.
QByteArray sketch(const QList<PlayedTone>& tones, const QString& name);

/// A shell script calling `beep` with "-f F -l L" per tone, the tones joined by "-n"; a rest
/// becomes the delay after the tone before it ("-D"), a rest at the start a sleep. Long songs
/// are split over several calls so that no command line grows too long.
QByteArray beepScript(const QList<PlayedTone>& tones, const QString& name);

} // namespace BuzzerExport

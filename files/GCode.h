#pragma once

#include "files/PlayedTones.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

/// Tunes for 3D printers in G-code: "M300 S<Hz> P<ms>" sounds the printer's buzzer, "G4 P<ms>"
/// waits. Printers play such lines at the end of a print.
namespace GCode {

/// The frequency and length of an "M300" that names none (the usual firmware defaults).
constexpr int kDefaultHz = 260;
constexpr int kDefaultMs = 1000;

/// A comment header naming the tune, then one "M300 S<Hz> P<ms>" per tone and one "G4 P<ms>"
/// per rest (frequency 0 or below), each as Play joins the tracks. Lines of no duration are
/// left out. Lines end with LF.
QByteArray write(const QList<PlayedTone>& tones, const QString& name);

/// The tones of a G-code file: each "M300" a tone ("S0" a rest), each "G4" a rest (its "P" in
/// milliseconds, else its "S" in seconds). Comments (";" to the end of the line, "(…)"), line
/// numbers and checksums are ignored, and so is every other command. Letters may be in either
/// case. A "M300" or "G4" whose value is no number, or a length beyond 24 days, throws AppError
/// "G-Code-Fehler in Zeile N: …" with the file's line number (from 1).
QList<PlayedTone> read(QByteArrayView data);

} // namespace GCode

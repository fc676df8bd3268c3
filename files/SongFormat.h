#pragma once

#include "base/PackedTexts.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <optional>

/// The four track lists of a song, line by line: track 1 frequency and duration, track 2
/// frequency and duration.
struct SongTracks {
    PackedTexts freq1;
    PackedTexts dur1;
    PackedTexts freq2;
    PackedTexts dur2;
};

/// The `.zwk` song file: one text line per song line, "f1|d1|f2|d2" and CR LF, in Latin-1.
namespace SongFormat {

/// The largest song file, in bytes and in lines. The lists hold a line in its bytes and a few
/// more (about 25 bytes for a typical line, 45 when every field has seven digits), so within
/// these limits a song needs at most about twice its file, and a song of the most lines opens
/// within a second.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;
constexpr qsizetype kMaxLines = 2000000;

/// What the user reads for a song file of more than `kMaxLines` lines:
/// "Datei zu groß (mehr als 2.000.000 Zeilen)".
QString tooManyLinesText();

/// The number of lines `read` would look at: up to a Ctrl+Z byte, the last line counted
/// also without its line end.
qsizetype lineCount(QByteArrayView data);

/// The file's bytes for a song whose four lists have equal length. Items are written as they
/// stand, neither quoted nor escaped; characters outside Latin-1 become "?".
QByteArray write(const SongTracks& song);
/// The same lines as UTF-8 text, every character kept: the lines on the clipboard.
QByteArray writeUtf8(const SongTracks& song);

/// The fields of one line (without its line end): blanks and control characters around
/// fields vanish, "|" separates, a blank inside a field splits it, a field in double quotes
/// runs to its closing quote ("" inside stands for one quote). At most `maxFields` are
/// returned; the splitting stops there.
QStringList splitLine(QByteArrayView line, int maxFields = 1 << 30);

/// What a file's bytes give.
struct ReadResult {
    /// The complete lines, up to the first line with fewer than four fields.
    SongTracks song;
    /// The number of fields of the first line that yielded fewer than four, if any.
    std::optional<int> shortLineFields;
};

/// Reads a song file's bytes: lines end at LF or CR LF (a lone CR belongs to the line), the
/// last line needs no line end, a Ctrl+Z byte ends the file, fields beyond four are ignored.
/// Reading stops at the first line with fewer than four fields. Data of more than `kMaxLines`
/// lines is refused as a whole with `tooManyLinesText` (an AppError), before any line is read.
ReadResult read(QByteArrayView data);

} // namespace SongFormat

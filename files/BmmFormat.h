#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/// Bleeper Music Maker song files (`.bmm`) as the import reads them: a tempo line beginning
/// "BP", a start marker "//Length Note1 Note2", then one note line per song line, such as
/// "quarter C#4 D4" or "1/8 E4 dot".
namespace BmmFormat {

/// The marker after which note lines are read.
inline constexpr char kStartMarker[] = "//Length Note1 Note2";

/// The file's lines: ended by CR, LF or CR LF, in Latin-1.
QStringList splitLines(QByteArrayView data);

/// The index of the tempo line: the last line whose first two characters are "BP".
std::optional<int> tempoLine(const QStringList& lines);

/// The tempo text of a tempo line: its characters 5 to 7, as many as the line has.
QString tempoText(const QString& line);

/// Turns a note name (such as "C#4", blanks around it allowed) into a frequency text, "0"
/// when it names no note.
using NoteLookup = std::function<QString(const QString&)>;

/// One song line of the import: both tracks share the duration.
struct Row {
    QString freq1;
    QString freq2;
    QString duration;
};

/// Reads the lines of a file in order: nothing counts before the start marker; from it on,
/// every line whose third character names a note value gives a song line.
class NoteReader {
public:
    NoteReader(int tempo, NoteLookup lookup);

    /// The song line that `line` gives, if any. A tempo of 0 raises "Division durch Null" at
    /// the first note line.
    std::optional<Row> read(const QString& line);

    bool started() const { return m_started; }

private:
    int m_tempo;
    NoteLookup m_lookup;
    bool m_started = false;
};

/// How many song lines the file's lines give, as a NoteReader reading them all would.
qsizetype noteLineCount(const QStringList& lines);

} // namespace BmmFormat

#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

/// The note table: a grid of three text columns (note name, frequency in hertz, MIDI note
/// number) with a header row 0 ("Note", "Frequenz", "MIDI-Note") and the notes in rows
/// 1 … rowCount() − 1, in ascending order. Every cell is text; lookups compare texts, so
/// "440" and "0440" are different frequencies.
///
/// The table is stored with the program as a string table keyed by number (key 1: the row
/// count; key 1000 + r: "name=frequency=midi" of row r) and loaded once at start.
class NoteTable {
public:
    static constexpr int kNameColumn = 0;
    static constexpr int kFrequencyColumn = 1;
    static constexpr int kMidiColumn = 2;
    static constexpr int kColumnCount = 3;
    static constexpr int kCountKey = 1;
    static constexpr int kRowKeyBase = 1000;
    /// Where the stored string table lives among the program's resources.
    static const char* const kResourcePath;

    /// An empty table: only the header row.
    NoteTable();

    /// Reads a stored string table: one string per line, the decimal key, a tab, the text.
    /// Empty lines and lines starting with "#" are ignored; a later key replaces an earlier one.
    static QHash<int, QString> parseStringTable(const QByteArray& data);
    /// Loads the grid from a string table: the row count from key 1, then row r = 1 … count − 1
    /// from key 1000 + r split at "=". A missing string gives empty cells; a count that is not
    /// a whole number, or below 1, loads no notes.
    static NoteTable load(const QHash<int, QString>& strings);
    /// The table stored with the program.
    static NoteTable loadStored();
    /// The stored table, loaded at the first call: the table the program's lookups read.
    static const NoteTable& stored();

    /// Rows including the header row.
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    /// The text of a cell; a cell outside the grid reads as empty text.
    QString cell(int column, int row) const;

private:
    struct Row {
        QString cells[kColumnCount];
    };
    QList<Row> m_rows;
};

/// Removes every character up to and including the blank (control characters too) from both
/// ends, as the lookups trim their input and cells.
QString TrimBlanks(const QString& text);

/// The frequency text of the note with the given name ("C#4", "H4"; an upper-case "B" anywhere
/// turns the first character into "H", so "B4" finds "H-4"). The name is trimmed; each name
/// cell is compared with its first "-" removed and trimmed, exactly and case-sensitively. The
/// last matching row decides; without a match the result is "0".
QString NoteNameToFrequency(const NoteTable& table, const QString& name);

/// The MIDI note number of the row whose trimmed frequency cell equals the trimmed text;
/// the last matching row decides; −2 when no row matches.
int FrequencyToMidiNote(const NoteTable& table, const QString& frequency);

/// The frequency of the row whose trimmed MIDI cell equals the trimmed text; the last matching
/// row decides (so 116 and 117 give the frequencies of G#-9 and A-9); −2 when no row matches.
int MidiNoteToFrequency(const NoteTable& table, const QString& midiNote);

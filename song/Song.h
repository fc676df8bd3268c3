#pragma once

#include "base/LineRange.h"
#include "base/PackedTexts.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>

class LineTimes;
class ListItems;
class ProgressSink;
class SongHistory;

/// One line of the song: both tracks' frequency and duration texts.
struct SongLine {
    QString freq1, dur1, freq2, dur2;
    friend bool operator==(const SongLine&, const SongLine&) = default;
};

/// The song as a document: five parallel lists (the line numbers, track 1 frequency and
/// duration, track 2 frequency and duration), their selections, and the undo history that
/// records every change of them. Windows show it through `ListBox` views of the lists; engines
/// read and change it without a window.
///
/// The lists carry the names of the views that show them, so `Memo1` is track 1's frequencies
/// in the song and in the main window alike. Their change notifications are the models' own.
class Song final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Song)

public:
    explicit Song(QObject* parent = nullptr);
    ~Song() override;

    ListItems* const Line;  ///< line numbers "0" … "n − 1"
    ListItems* const Memo1; ///< track 1 frequency
    ListItems* const Memo2; ///< track 1 duration
    ListItems* const Memo3; ///< track 2 frequency
    ListItems* const Memo4; ///< track 2 duration

    /// Undo and redo of every change of the lists; it knows whether the song was saved.
    SongHistory* const history;

    /// `Line`, `Memo1` … `Memo4`.
    std::array<ListItems*, 5> lists() const { return {Line, Memo1, Memo2, Memo3, Memo4}; }
    /// The song's lines: the length of track 1's frequencies.
    int lineCount() const;

    /// Empties every list.
    void clear();
    /// Numbers the lines "0" … "n − 1" for the n lines of track 1 and reports it on
    /// @p progress as "Aktualisiere Pattern".
    void renumberLines(ProgressSink& progress);
    /// Selects line `index` in all five lists (no selection for an index outside the song).
    void selectLine(int index);

    /// The selected lines: sorted, disjoint, merged ranges; empty without a selection. The
    /// song's selection is the one of track 1's frequencies (`Memo1`), which the five lists
    /// show alike.
    QList<LineRange> selection() const;
    /// The line the described commands act on as "the selected line": the current line (the
    /// focus) when it is selected, else the first selected line; −1 without a selection.
    int currentLine() const;
    bool isSelected(int line) const;
    /// Selects the ranges in all five lists, with `current` as their current line.
    void setSelection(const QList<LineRange>& ranges, int current);

    /// Inserts the lines before line `at` (at the end for `at` = lineCount()), in all five
    /// lists at once.
    void insertLines(int at, const QList<SongLine>& lines);
    /// The same from four lists of equal length (track 1 frequencies, durations, track 2 …).
    void insertLines(int at, const std::array<PackedTexts, 4>& tracks);
    /// Removes the lines of the ranges (sorted, disjoint), in all five lists.
    void removeLines(const QList<LineRange>& ranges);
    QList<SongLine> lines(const QList<LineRange>& ranges) const;
    /// The four track lists' texts of the ranges, one list per track list.
    std::array<PackedTexts, 4> tracks(const QList<LineRange>& ranges) const;
    void setLine(int index, const SongLine& line);

    /// Milliseconds before line @p line: the sum of the line durations before it (a line lasts
    /// its track 1 duration, as playback times it). Clamped to 0 … totalDuration().
    qint64 lineStart(int line) const;
    /// The line sounding at @p ms (0 before the song, lineCount() from its end on).
    int lineAt(qint64 ms) const;
    /// The sum of all line durations in milliseconds.
    qint64 totalDuration() const;
    /// The running sums behind lineStart() and lineAt(), kept current with every change.
    const LineTimes& times() const { return *m_times; }

signals:
    /// After any change of the selection or the current line.
    void selectionChanged();

private:
    std::array<ListItems*, 4> trackLists() const { return {Memo1, Memo2, Memo3, Memo4}; }

    bool m_selecting = false;
    LineTimes* const m_times;
};

#pragma once

#include <QObject>

#include <array>

class LineTimes;
class ListItems;
class ProgressSink;
class SongHistory;

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

    /// Milliseconds before line @p line: the sum of the line durations before it (a line lasts
    /// its track 1 duration, as playback times it). Clamped to 0 … totalDuration().
    qint64 lineStart(int line) const;
    /// The line sounding at @p ms (0 before the song, lineCount() from its end on).
    int lineAt(qint64 ms) const;
    /// The sum of all line durations in milliseconds.
    qint64 totalDuration() const;
    /// The running sums behind lineStart() and lineAt(), kept current with every change.
    const LineTimes& times() const { return *m_times; }

private:
    LineTimes* const m_times;
};

#pragma once

#include "base/LineRange.h"
#include "base/PackedTexts.h"

#include <QList>
#include <QObject>

class ListItems;
class QTimer;
class Song;

/// Undo and redo of the song: every command that changes the five lists becomes one step.
/// Commands need not report themselves: the lists' models announce every row they insert,
/// remove or change, and the history keeps just those rows (their texts before and after), so
/// a step costs what the command changed, however long the song is. The step closes when
/// control returns to the event loop (a long loop that lets the window process events keeps
/// its step open). The line numbers are kept as their count: their texts follow from it.
///
/// The history also knows whether the song changed since it was last saved or opened.
class SongHistory final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SongHistory)

public:
    /// The history keeps steps up to the size of the song's texts, and this much at least.
    static constexpr qint64 kMinBudgetBytes = 8LL * 1024 * 1024;

    explicit SongHistory(Song& song);
    ~SongHistory() override;

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    int undoCount() const { return int(m_undo.size()); }

    /// Closes an open step now.
    void commit();
    /// Begins a new history with the song as it stands ("Neu", a song opened): nothing can be
    /// undone or redone, and the song counts as saved.
    void restart();
    /// The song as it stands counts as saved (after saving it).
    void markClean();
    /// True when the song differs from the one last saved or opened (an empty song at start).
    bool isModified();
    /// Memory the steps hold, in bytes (an estimate from the texts they keep).
    qint64 storedBytes() const { return m_storedBytes; }

signals:
    /// What can be undone or redone changed: "Rückgängig" and "Wiederholen" follow.
    void availabilityChanged(bool canUndo, bool canRedo);

private:
    /// Rows at … at + removed.size() − 1 of one track list were replaced by `inserted`.
    struct TextChange {
        qsizetype at = 0;
        PackedTexts removed;
        PackedTexts inserted;
    };
    /// One list's selected ranges and its current row.
    struct ListSelection {
        QList<LineRange> ranges;
        int current = -1;
        friend bool operator==(const ListSelection&, const ListSelection&) = default;
    };
    using Selection = QList<ListSelection>;
    struct Step {
        /// Per track list (`Memo1` … `Memo4`), in the order the changes were made.
        QList<TextChange> changes[4];
        /// The count of `Line` before and after the step; −1 while it is untouched.
        int linesBefore = -1;
        int linesAfter = -1;
        Selection selectionBefore;
        Selection selectionAfter;
        qint64 bytes = 0;
        quint64 serial = 0;
    };

    void watchTexts(int list);
    void watchLineNumbers();
    void stepChanging();
    void record(int list, qsizetype at, PackedTexts removed, PackedTexts inserted);
    static bool finish(Step& step, int lines);
    Selection selection() const;
    void select(const Selection& selection);
    void replace(int list, qsizetype at, qsizetype count, const PackedTexts& with);
    void setLineCount(int count);
    void apply(const Step& step, bool backwards);
    qint64 songBytes() const;
    void keepWithinBudget();
    void updateActions();
    quint64 currentSerial() const;

    /// `Line`, `Memo1` … `Memo4`.
    ListItems* m_lists[5] = {};
    /// The step being recorded; it closes when control returns to the event loop.
    Step m_open;
    bool m_stepOpen = false;
    /// Changing rows' texts before the change, and a list's texts before it is replaced.
    PackedTexts m_changingTexts[5];
    PackedTexts m_replacedTexts[5];
    /// The selection when the event loop last settled: the one the next command finds.
    Selection m_selection;
    QList<Step> m_undo;
    QList<Step> m_redo;
    QTimer* m_commitTimer = nullptr;
    bool m_applying = false;
    quint64 m_nextSerial = 1;
    /// The serial of the last step when the song was saved; 0 for the song the history began
    /// with, -1 when that state can no longer be reached.
    qint64 m_cleanSerial = 0;
    qint64 m_storedBytes = 0;
    /// The texts of the four track lists, kept up to date with every change.
    qint64 m_textBytes = 0;
};

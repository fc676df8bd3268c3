#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class ListBox;
class QTimer;
class TForm1;

/// Undo and redo of the song: every command that changes the five lists becomes one step,
/// kept as the part of each list that changed (the common beginning and end are shared with
/// the song), with the selection before and after. Commands need not report themselves: a
/// change to any list starts a step, and the step closes when control returns to the event
/// loop (a long loop that lets the window process events keeps its step open).
///
/// The history also knows whether the song changed since it was last saved or opened.
class SongHistory final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SongHistory)

public:
    /// The history keeps steps up to three times the texts of the song (well below the memory
    /// the song takes in its lists), and this much at least.
    static constexpr qint64 kMinBudgetBytes = 8LL * 1024 * 1024;

    explicit SongHistory(TForm1& form);
    ~SongHistory() override;

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    int undoCount() const { return int(m_undo.size()); }

    /// Closes an open step now.
    void commit();
    /// The song as it stands counts as saved (after saving or opening it).
    void markClean();
    /// True when the song differs from the one last saved or opened (an empty song at start).
    bool isModified();
    /// Memory the steps hold, in bytes (an estimate from the texts they keep).
    qint64 storedBytes() const { return m_storedBytes; }

private:
    struct ListChange {
        int list = 0;
        int at = 0;
        QStringList removed;
        QStringList inserted;
    };
    struct Step {
        QList<ListChange> changes;
        QList<int> selectionBefore;
        QList<int> selectionAfter;
        qint64 bytes = 0;
        quint64 serial = 0;
    };

    void listChanging(int list);
    QList<int> selection() const;
    void select(const QList<int>& indexes);
    void replace(int list, int at, qsizetype count, const QStringList& with);
    void apply(const Step& step, bool backwards);
    void keepWithinBudget();
    void updateActions();
    quint64 currentSerial() const;

    TForm1& m_form;
    ListBox* m_lists[5] = {};
    QStringList m_state[5];
    /// The selection when the event loop last settled: the one the next command finds.
    QList<int> m_selection;
    QList<Step> m_undo;
    QList<Step> m_redo;
    QTimer* m_commitTimer = nullptr;
    unsigned m_dirty = 0;
    bool m_applying = false;
    quint64 m_nextSerial = 1;
    /// The serial of the last step when the song was saved; 0 for the song the history began
    /// with, -1 when that state can no longer be reached.
    qint64 m_cleanSerial = 0;
    qint64 m_storedBytes = 0;
};

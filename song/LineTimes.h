#pragma once

#include <QObject>

#include <vector>

class ListTextModel;

/// When each line of the song starts: the running sums of the line durations (track 1's,
/// `Memo2`, as playback times the lines) in a Fenwick tree of 8 bytes a line. The start of a
/// line and the line sounding at a time are found in O(log n).
///
/// The tree follows the durations' own change signals: a changed duration is one O(log n)
/// update; lines inserted or removed invalidate the sums from that line on, and the next query
/// sums them again from the texts (a tree node covers only lines before it, so the sums in
/// front of the change stay valid). Appending a line therefore costs one node.
///
/// A duration that is not a whole number, or below 0, counts as 0 here (playback reports such
/// a line when it reaches it).
class LineTimes final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineTimes)

public:
    explicit LineTimes(const ListTextModel& durations, QObject* parent = nullptr);
    ~LineTimes() override;

    /// Lines timed: the rows of the durations.
    int count() const { return int(m_tree.size()) - 1; }
    /// Milliseconds before line @p line: the sum of the durations of lines 0 … line − 1.
    /// Lines below 0 start at 0, lines past the end at the total.
    qint64 start(int line) const;
    /// The line's duration in milliseconds (0 outside the song).
    qint64 duration(int line) const;
    /// The line sounding at @p ms: the last line starting at or before it whose duration is
    /// not 0. 0 for times before the song; count() from the song's end on.
    int lineAt(qint64 ms) const;
    /// The sum of all durations.
    qint64 total() const { return start(count()); }

    /// A duration text as a time: its value, or 0 when that is not a whole number ≥ 0.
    static qint64 millisecondsOf(const QString& text);

private:
    void rowsChanged(int first, int last);
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void reset();
    /// Sums the nodes up to @p node from the texts where they are not valid.
    void build(int node) const;
    /// The sum of the first @p lines lines; nodes up to it are valid.
    qint64 prefix(int lines) const;

    const ListTextModel& m_durations;
    /// Node i (1-based) sums the durations of lines i − lowbit(i) … i − 1; m_tree[0] is unused.
    mutable std::vector<qint64> m_tree;
    /// Nodes 1 … m_valid hold their sums; the ones after it are summed when first needed.
    mutable int m_valid = 0;
};

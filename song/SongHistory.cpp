#include "song/SongHistory.h"

#include "base/ListItems.h"
#include "base/ListTextModel.h"
#include "base/ResponsiveLoop.h"
#include "song/Song.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

/// What a change costs beside its texts.
constexpr qint64 kChangeBytes = 64;

qint64 textBytes(const PackedTexts& texts) {
    return texts.storedBytes();
}

/// What the texts "0" … "count − 1" would cost packed: the line numbers count as part of the
/// song.
qint64 lineNumberBytes(qint64 count) {
    qint64 digits = 0;
    for (qint64 width = 1, low = 0, high = 10; low < count; ++width, low = high, high *= 10)
        digits += width * (std::min(count, high) - low);
    return qint64(sizeof(quint32)) * count + digits;
}

} // namespace

SongHistory::SongHistory(Song& song) : QObject(&song) {
    m_lists[0] = song.Line;
    m_lists[1] = song.Memo1;
    m_lists[2] = song.Memo2;
    m_lists[3] = song.Memo3;
    m_lists[4] = song.Memo4;
    m_commitTimer = new QTimer(this);
    m_commitTimer->setSingleShot(true);
    m_commitTimer->setInterval(0);
    connect(m_commitTimer, &QTimer::timeout, this, [this] {
        // A loop that keeps the window responsive is still one command.
        if (ResponsiveLoop::running())
            m_commitTimer->start();
        else
            commit();
    });
    watchLineNumbers();
    for (int k = 1; k < 5; ++k)
        watchTexts(k);
    for (ListItems* list : m_lists) {
        // The selection a command finds is the one the event loop last saw settle.
        QItemSelectionModel* selection = list->selectionModel();
        // A playing song moves all five selections at every line: the pending look at them
        // is not put off again by each.
        const auto moved = [this] {
            if (!m_applying && !m_commitTimer->isActive())
                m_commitTimer->start();
        };
        connect(selection, &QItemSelectionModel::selectionChanged, this, moved);
        connect(selection, &QItemSelectionModel::currentChanged, this, moved);
    }
    m_selection = selection();
}

SongHistory::~SongHistory() = default;

void SongHistory::watchTexts(int list) {
    ListTextModel* model = m_lists[list]->textModel();
    Q_ASSERT(model);
    m_textBytes += textBytes(model->texts());
    // Each notification names the rows; only those rows are read. The running size is kept
    // while undo and redo change the lists too.
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this, list, model](const QModelIndex&, int first, int last) {
                PackedTexts removed = model->texts(first, last - first + 1);
                m_textBytes -= textBytes(removed);
                if (!m_applying)
                    record(list, first, std::move(removed), {});
            });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this, list, model](const QModelIndex&, int first, int last) {
                PackedTexts inserted = model->texts(first, last - first + 1);
                m_textBytes += textBytes(inserted);
                if (!m_applying)
                    record(list, first, {}, std::move(inserted));
            });
    connect(model, &ListTextModel::textsAboutToChange, this,
            [this, list, model](int first, int last) {
                m_changingTexts[list] = model->texts(first, last - first + 1);
            });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this, list, model](const QModelIndex& from, const QModelIndex& to) {
                // The list's texts change a run of rows at a time, each announced beforehand.
                PackedTexts old = std::exchange(m_changingTexts[list], PackedTexts());
                PackedTexts now = model->texts(from.row(), to.row() - from.row() + 1);
                Q_ASSERT(old.size() == now.size());
                m_textBytes += textBytes(now) - textBytes(old);
                if (!m_applying)
                    record(list, from.row(), std::move(old), std::move(now));
            });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this, list, model] { m_replacedTexts[list] = model->texts(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this, list, model] {
        // A whole list replaced: its old and new texts are what changed.
        PackedTexts old = std::exchange(m_replacedTexts[list], PackedTexts());
        PackedTexts now = model->texts();
        m_textBytes += textBytes(now) - textBytes(old);
        if (!m_applying)
            record(list, 0, std::move(old), std::move(now));
    });
}

void SongHistory::watchLineNumbers() {
    const QAbstractItemModel* model = m_lists[0]->model();
    const auto changing = [this] {
        if (m_applying)
            return;
        if (m_open.linesBefore < 0)
            m_open.linesBefore = m_lists[0]->count();
        stepChanging();
    };
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, changing);
}

void SongHistory::stepChanging() {
    if (!m_stepOpen)
        m_commitTimer->start();
    m_stepOpen = true;
}

void SongHistory::record(int list, qsizetype at, PackedTexts removed, PackedTexts inserted) {
    stepChanging();
    QList<TextChange>& changes = m_open.changes[list - 1];
    if (!changes.isEmpty()) {
        TextChange& last = changes.last();
        const qsizetype lastEnd = last.at + last.inserted.size();
        const qsizetype count = removed.size();
        if (at <= lastEnd && at + count >= last.at) {
            // The new change meets the rows the last one left: both become one change. Rows
            // it removes beside those were untouched by the last change and so belong to the
            // song before the step.
            const qsizetype lead = std::max<qsizetype>(0, last.at - at);
            const qsizetype trail = std::max<qsizetype>(0, at + count - lastEnd);
            last.removed.insert(0, removed.first(lead));
            last.removed.append(removed.sliced(count - trail));
            // The rows of the last change's result that the new one replaced.
            const qsizetype from = std::max(at, last.at) - last.at;
            const qsizetype covered = count - lead - trail;
            last.inserted.remove(from, covered);
            last.inserted.insert(from, inserted);
            last.at = std::min(last.at, at);
            return;
        }
    }
    changes.append({at, std::move(removed), std::move(inserted)});
}

bool SongHistory::finish(Step& step, int lines) {
    bool changed = false;
    for (QList<TextChange>& changes : step.changes) {
        for (TextChange& c : changes) {
            // Rows a command rewrote with their own text are no change.
            qsizetype head = 0;
            const qsizetype shorter = std::min(c.removed.size(), c.inserted.size());
            while (head < shorter && c.removed.utf8(head) == c.inserted.utf8(head))
                ++head;
            qsizetype tail = 0;
            while (tail < shorter - head && c.removed.utf8(c.removed.size() - 1 - tail) ==
                                                c.inserted.utf8(c.inserted.size() - 1 - tail))
                ++tail;
            if (head + tail > 0) {
                c.at += head;
                c.removed = c.removed.mid(head, c.removed.size() - head - tail);
                c.inserted = c.inserted.mid(head, c.inserted.size() - head - tail);
            }
        }
        changes.removeIf(
            [](const TextChange& c) { return c.removed.isEmpty() && c.inserted.isEmpty(); });
        for (const TextChange& c : std::as_const(changes))
            step.bytes += textBytes(c.removed) + textBytes(c.inserted) + kChangeBytes;
        changed = changed || !changes.isEmpty();
    }
    if (step.linesBefore >= 0 && step.linesBefore != lines) {
        step.linesAfter = lines;
        step.bytes += kChangeBytes + std::abs(lineNumberBytes(lines) -
                                              lineNumberBytes(step.linesBefore));
        changed = true;
    } else {
        step.linesBefore = -1;
    }
    return changed;
}

SongHistory::Selection SongHistory::selection() const {
    Selection lists;
    for (const ListItems* list : m_lists)
        lists.append({list->selectedRanges(), list->currentIndex()});
    return lists;
}

void SongHistory::select(const Selection& selection) {
    for (int k = 0; k < 5; ++k) {
        const ListSelection one = selection.value(k);
        m_lists[k]->select(one.ranges, one.current);
    }
}

void SongHistory::commit() {
    m_commitTimer->stop();
    const Selection after = selection();
    if (!std::exchange(m_stepOpen, false)) {
        m_selection = after;
        return;
    }
    Step step = std::exchange(m_open, Step());
    if (!finish(step, m_lists[0]->count())) {
        m_selection = after;
        return;
    }
    step.selectionBefore = m_selection;
    step.selectionAfter = after;
    step.serial = m_nextSerial++;
    for (const Step& dropped : std::as_const(m_redo))
        m_storedBytes -= dropped.bytes;
    m_redo.clear();
    // A clean state that only redo could reach is gone now.
    if (m_cleanSerial > qint64(currentSerial()))
        m_cleanSerial = -1;
    m_storedBytes += step.bytes;
    m_undo.append(std::move(step));
    m_selection = after;
    keepWithinBudget();
    updateActions();
}

qint64 SongHistory::songBytes() const {
    return m_textBytes + lineNumberBytes(m_lists[0]->count());
}

void SongHistory::keepWithinBudget() {
    // Whole-song steps are kept up to the size of the song's own texts, so the history never
    // holds more than about the song again.
    const qint64 budget = std::max(kMinBudgetBytes, songBytes());
    // The last step always stays: the latest command can be taken back, whatever its size.
    while (m_storedBytes > budget && m_undo.size() + m_redo.size() > 1) {
        if (m_redo.size() > 0 && m_undo.isEmpty()) {
            m_storedBytes -= m_redo.takeFirst().bytes;
            continue;
        }
        const Step dropped = m_undo.takeFirst();
        m_storedBytes -= dropped.bytes;
        // The oldest reachable state is now the one after the dropped step.
        if (m_cleanSerial == 0)
            m_cleanSerial = -1;
        else if (m_cleanSerial == qint64(dropped.serial))
            m_cleanSerial = 0;
    }
}

void SongHistory::replace(int list, qsizetype at, qsizetype count, const PackedTexts& with) {
    // Rows are replaced, removed and inserted as runs: a step costs what it changed.
    ListItems* box = m_lists[list];
    const qsizetype common = std::min(count, with.size());
    box->replaceItems(int(at), with.first(common));
    if (count > common)
        box->removeItems(int(at + common), int(count - common));
    if (with.size() > common)
        box->insertItems(int(at + common), with.sliced(common));
}

void SongHistory::setLineCount(int count) {
    // The numbers change at the end, as renumbering after the command left them.
    ListItems* line = m_lists[0];
    const int now = line->count();
    if (count > now)
        line->insertEmptyItems(now, count - now);
    else if (count < now)
        line->removeItems(count, now - count);
}

void SongHistory::apply(const Step& step, bool backwards) {
    m_applying = true;
    try {
        for (int k = 1; k < 5; ++k) {
            const QList<TextChange>& changes = step.changes[k - 1];
            if (backwards) {
                for (auto c = changes.crbegin(); c != changes.crend(); ++c)
                    replace(k, c->at, c->inserted.size(), c->removed);
            } else {
                for (const TextChange& c : changes)
                    replace(k, c.at, c.removed.size(), c.inserted);
            }
        }
        if (step.linesBefore >= 0)
            setLineCount(backwards ? step.linesBefore : step.linesAfter);
    } catch (...) {
        m_applying = false;
        throw;
    }
    m_applying = false;
    m_selection = backwards ? step.selectionBefore : step.selectionAfter;
    select(m_selection);
}

void SongHistory::undo() {
    commit();
    if (m_undo.isEmpty())
        return;
    Step step = m_undo.takeLast();
    apply(step, true);
    m_redo.prepend(std::move(step));
    updateActions();
}

void SongHistory::redo() {
    commit();
    if (m_redo.isEmpty())
        return;
    Step step = m_redo.takeFirst();
    apply(step, false);
    m_undo.append(std::move(step));
    updateActions();
}

bool SongHistory::canUndo() const {
    return !m_undo.isEmpty() || m_stepOpen;
}

bool SongHistory::canRedo() const {
    return !m_redo.isEmpty();
}

quint64 SongHistory::currentSerial() const {
    return m_undo.isEmpty() ? 0 : m_undo.constLast().serial;
}

void SongHistory::restart() {
    m_commitTimer->stop();
    m_open = Step();
    m_stepOpen = false;
    m_undo.clear();
    m_redo.clear();
    m_storedBytes = 0;
    m_cleanSerial = 0;
    m_selection = selection();
    updateActions();
}

void SongHistory::markClean() {
    commit();
    m_cleanSerial = qint64(currentSerial());
}

bool SongHistory::isModified() {
    commit();
    return m_cleanSerial != qint64(currentSerial());
}

void SongHistory::updateActions() {
    emit availabilityChanged(!m_undo.isEmpty(), !m_redo.isEmpty());
}

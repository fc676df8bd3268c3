#include "song/SongHistory.h"

#include "base/ListBox.h"
#include "base/ResponsiveLoop.h"
#include "files/SongFileActions.h"
#include "song/ExtraMenu.h"
#include "song/MainWindow.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QItemSelectionModel>
#include <QTimer>

#include <algorithm>

namespace {

/// A change this small is made item by item; a larger one rebuilds the list at once.
constexpr qsizetype kItemwiseLimit = 64;

qint64 textBytes(const QStringList& texts) {
    // The string header, its allocation and the characters.
    qint64 bytes = 0;
    for (const QString& text : texts)
        bytes += 24 + 16 + 2 * text.size();
    return bytes;
}

} // namespace

SongHistory::SongHistory(TForm1& form) : QObject(&form), m_form(form) {
    m_lists[0] = form.Line;
    m_lists[1] = form.Memo1;
    m_lists[2] = form.Memo2;
    m_lists[3] = form.Memo3;
    m_lists[4] = form.Memo4;
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
    for (int k = 0; k < 5; ++k) {
        m_state[k] = m_lists[k]->items();
        QAbstractItemModel* model = m_lists[k]->model();
        const auto changing = [this, k] { listChanging(k); };
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, changing);
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, changing);
        connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, changing);
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, changing);
        connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, changing);
        connect(model, &QAbstractItemModel::dataChanged, this, changing);
        // The selection a command finds is the one the event loop last saw settle.
        QItemSelectionModel* selection = m_lists[k]->selectionModel();
        const auto moved = [this] {
            if (!m_applying)
                m_commitTimer->start();
        };
        connect(selection, &QItemSelectionModel::selectionChanged, this, moved);
        connect(selection, &QItemSelectionModel::currentChanged, this, moved);
    }
    m_selection = selection();
    // Saving or opening makes the song as it stands the saved one.
    connect(form.songFiles.get(), &SongFileActions::saved, this, [this] { markClean(); });
    connect(form.songFiles.get(), &SongFileActions::loaded, this, [this] { markClean(); });
    ExtraMenu& menu = *form.extraMenu;
    connect(menu.Rueckgaengig1, &QAction::triggered, this, [this] { undo(); });
    connect(menu.Wiederholen1, &QAction::triggered, this, [this] { redo(); });
    updateActions();
}

SongHistory::~SongHistory() = default;

void SongHistory::listChanging(int list) {
    if (m_applying)
        return;
    if (m_dirty == 0)
        m_commitTimer->start();
    m_dirty |= 1u << list;
}

QList<int> SongHistory::selection() const {
    QList<int> indexes;
    for (const ListBox* list : m_lists)
        indexes.append(list->itemIndex());
    return indexes;
}

void SongHistory::select(const QList<int>& indexes) {
    for (int k = 0; k < 5; ++k)
        m_lists[k]->setItemIndex(indexes.value(k, -1));
}

void SongHistory::commit() {
    m_commitTimer->stop();
    if (m_dirty == 0) {
        m_selection = selection();
        return;
    }
    const unsigned dirty = std::exchange(m_dirty, 0);
    Step step;
    for (int k = 0; k < 5; ++k) {
        if (!(dirty & (1u << k)))
            continue;
        QStringList now = m_lists[k]->items();
        const QStringList& before = m_state[k];
        // The common beginning and end stay out of the step.
        qsizetype head = 0;
        const qsizetype shorter = std::min(before.size(), now.size());
        while (head < shorter && before[head] == now[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               before[before.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        if (head + tail == before.size() && head + tail == now.size())
            continue;
        ListChange change;
        change.list = k;
        change.at = int(head);
        change.removed = before.mid(head, before.size() - head - tail);
        change.inserted = now.mid(head, now.size() - head - tail);
        step.bytes += textBytes(change.removed) + textBytes(change.inserted) + 64;
        step.changes.append(std::move(change));
        m_state[k] = std::move(now);
    }
    const QList<int> after = selection();
    if (step.changes.isEmpty()) {
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

void SongHistory::keepWithinBudget() {
    qint64 song = 0;
    for (const QStringList& list : m_state)
        song += textBytes(list);
    // The texts are a small part of what a line costs in the lists (items, their data and
    // layout): three times their size stays well below the memory of the song itself.
    const qint64 budget = std::max(kMinBudgetBytes, 3 * song);
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

void SongHistory::replace(int list, int at, qsizetype count, const QStringList& with) {
    ListBox* box = m_lists[list];
    QStringList& state = m_state[list];
    const qsizetype common = std::min(count, with.size());
    if (count + with.size() <= kItemwiseLimit) {
        for (qsizetype i = 0; i < common; ++i)
            box->setItem(int(at + i), with[i]);
        for (qsizetype i = common; i < count; ++i)
            box->remove(int(at + common));
        for (qsizetype i = common; i < with.size(); ++i)
            box->insert(int(at + i), with[i]);
        state.remove(at, count);
        for (qsizetype i = 0; i < with.size(); ++i)
            state.insert(at + i, with[i]);
        return;
    }
    QStringList next;
    next.reserve(state.size() - count + with.size());
    next.append(state.mid(0, at));
    next.append(with);
    next.append(state.mid(at + count));
    box->clearItems();
    box->addAll(next);
    state = std::move(next);
}

void SongHistory::apply(const Step& step, bool backwards) {
    m_applying = true;
    try {
        if (backwards) {
            for (auto c = step.changes.crbegin(); c != step.changes.crend(); ++c)
                replace(c->list, c->at, c->inserted.size(), c->removed);
        } else {
            for (const ListChange& c : step.changes)
                replace(c.list, c.at, c.removed.size(), c.inserted);
        }
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
    return !m_undo.isEmpty() || m_dirty != 0;
}

bool SongHistory::canRedo() const {
    return !m_redo.isEmpty();
}

quint64 SongHistory::currentSerial() const {
    return m_undo.isEmpty() ? 0 : m_undo.constLast().serial;
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
    const ExtraMenu& menu = *m_form.extraMenu;
    menu.Rueckgaengig1->setEnabled(!m_undo.isEmpty());
    menu.Wiederholen1->setEnabled(!m_redo.isEmpty());
}

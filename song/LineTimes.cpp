#include "song/LineTimes.h"

#include "base/ListTextModel.h"
#include "base/StrToInt.h"

#include <algorithm>

namespace {

constexpr int lowbit(int i) {
    return i & -i;
}

} // namespace

LineTimes::LineTimes(const ListTextModel& durations, QObject* parent)
    : QObject(parent), m_durations(durations), m_tree(std::size_t(durations.count()) + 1, 0) {
    connect(&durations, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                rowsChanged(from.row(), to.row());
            });
    connect(&durations, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { rowsInserted(first, last); });
    connect(&durations, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { rowsRemoved(first, last); });
    connect(&durations, &QAbstractItemModel::modelReset, this, [this] { reset(); });
    connect(&durations, &QAbstractItemModel::layoutChanged, this, [this] { reset(); });
}

LineTimes::~LineTimes() = default;

qint64 LineTimes::millisecondsOf(const QString& text) {
    return std::max(TryStrToInt(text).value_or(0), 0);
}

void LineTimes::build(int node) const {
    node = std::min(node, count());
    for (int i = m_valid + 1; i <= node; ++i) {
        qint64 sum = millisecondsOf(m_durations.text(i - 1));
        // The node's children are the nodes just before it that cover the rest of its lines.
        for (int child = i - 1; child > i - lowbit(i); child -= lowbit(child))
            sum += m_tree[std::size_t(child)];
        m_tree[std::size_t(i)] = sum;
    }
    m_valid = std::max(m_valid, node);
}

qint64 LineTimes::prefix(int lines) const {
    qint64 sum = 0;
    for (int i = lines; i > 0; i -= lowbit(i))
        sum += m_tree[std::size_t(i)];
    return sum;
}

qint64 LineTimes::start(int line) const {
    line = std::clamp(line, 0, count());
    build(line);
    return prefix(line);
}

qint64 LineTimes::duration(int line) const {
    if (line < 0 || line >= count())
        return 0;
    build(line + 1);
    return prefix(line + 1) - prefix(line);
}

int LineTimes::lineAt(qint64 ms) const {
    const int n = count();
    if (ms < 0 || n == 0)
        return 0;
    build(n);
    // Descends the tree: the most lines whose sum stays at or below ms; the line after them
    // is the one sounding.
    int lines = 0;
    qint64 rest = ms;
    int step = 1;
    while (step * 2 <= n)
        step *= 2;
    for (; step > 0; step /= 2) {
        const int next = lines + step;
        if (next <= n && m_tree[std::size_t(next)] <= rest) {
            lines = next;
            rest -= m_tree[std::size_t(next)];
        }
    }
    return lines;
}

void LineTimes::rowsChanged(int first, int last) {
    last = std::min(last, count() - 1);
    for (int row = first; row <= last; ++row) {
        if (row >= m_valid)
            return; // the sums from here on are made from the texts when needed
        const qint64 old = prefix(row + 1) - prefix(row);
        const qint64 delta = millisecondsOf(m_durations.text(row)) - old;
        if (delta == 0)
            continue;
        for (int i = row + 1; i <= m_valid; i += lowbit(i))
            m_tree[std::size_t(i)] += delta;
    }
}

void LineTimes::rowsInserted(int first, int last) {
    m_tree.resize(m_tree.size() + std::size_t(last - first + 1), 0);
    m_valid = std::min(m_valid, first);
}

void LineTimes::rowsRemoved(int first, int last) {
    m_tree.resize(m_tree.size() - std::size_t(last - first + 1));
    m_valid = std::min(m_valid, first);
}

void LineTimes::reset() {
    m_tree.assign(std::size_t(m_durations.count()) + 1, 0);
    m_tree.shrink_to_fit();
    m_valid = 0;
}

#include "base/ListTextModel.h"

#include <QThreadPool>

#include <algorithm>

namespace {

/// Rows per block when a list is taken in; a block that grows to twice this is split.
constexpr qsizetype kBlockRows = 2048;
/// Lists longer than this are let go of on a worker thread.
constexpr qsizetype kReleaseAside = 1 << 16;

/// Lets go of a list and blocks that held `rows` rows. Releasing a million texts costs tens of
/// milliseconds of reference counting; on the window's thread that would be felt on every
/// "Neu" or load of a long song. The counts are atomic, so texts still shared with other lists
/// stay valid.
template <typename Blocks>
void release(QStringList&& texts, Blocks&& blocks, qsizetype rows) {
    if (rows < kReleaseAside) {
        texts = QStringList();
        blocks.clear();
        return;
    }
    QThreadPool::globalInstance()->start(
        [texts = std::move(texts), blocks = std::move(blocks)]() mutable {
            texts = QStringList();
            blocks.clear();
        });
}

} // namespace

int ListTextModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ListTextModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return text(index.row());
}

Qt::ItemFlags ListTextModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

std::pair<std::size_t, qsizetype> ListTextModel::locate(qsizetype row) const {
    const auto holds = [this, row](std::size_t b) {
        return b < m_blocks.size() && row >= m_starts[b] && row - m_starts[b] < m_blocks[b].size;
    };
    std::size_t block = m_lastBlock;
    if (!holds(block)) {
        if (holds(block + 1)) {
            ++block;
        } else {
            const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), row);
            block = std::size_t(after - m_starts.begin()) - 1;
        }
    }
    m_lastBlock = block;
    return {block, row - m_starts[block]};
}

QStringList& ListTextModel::own(std::size_t block) {
    Block& b = m_blocks[block];
    if (!b.owned) {
        b.own = QStringList(m_shared.cbegin() + b.from, m_shared.cbegin() + b.from + b.size);
        b.owned = true;
    }
    return b.own;
}

void ListTextModel::renumberFrom(std::size_t block) {
    if (!m_starts.empty())
        m_starts.front() = 0;
    for (std::size_t b = std::max<std::size_t>(block, 1); b < m_blocks.size(); ++b)
        m_starts[b] = m_starts[b - 1] + m_blocks[b - 1].size;
}

void ListTextModel::lookInto(const QStringList& texts) const {
    m_shared = texts;
    m_blocks.clear();
    m_starts.clear();
    m_lastBlock = 0;
    for (qsizetype from = 0; from < texts.size(); from += kBlockRows) {
        m_blocks.push_back({{}, from, std::min(kBlockRows, texts.size() - from), false});
        m_starts.push_back(from);
    }
}

const QString& ListTextModel::text(int row) const {
    const auto [block, at] = locate(row);
    const Block& b = m_blocks[block];
    return b.owned ? b.own.at(at) : m_shared.at(b.from + at);
}

QStringList ListTextModel::texts() const {
    // Blocks that are windows onto the whole shared list, in its order: it is the answer.
    bool whole = m_shared.size() == m_count;
    for (std::size_t b = 0; whole && b < m_blocks.size(); ++b)
        whole = !m_blocks[b].owned && m_blocks[b].from == m_starts[b];
    if (whole)
        return m_shared;
    if (m_shared.isDetached()) {
        gatherInPlace();
    } else {
        QStringList all;
        all.reserve(m_count);
        for (const Block& b : m_blocks) {
            if (b.owned)
                all.append(b.own.cbegin(), b.own.cend());
            else
                all.append(m_shared.cbegin() + b.from, m_shared.cbegin() + b.from + b.size);
        }
        m_shared = std::move(all);
    }
    // The blocks look into the gathered list from now on; the lists they held are let go of.
    std::vector<Block> old = std::exchange(m_blocks, {});
    lookInto(m_shared);
    release(QStringList(), std::move(old), m_count);
    return m_shared;
}

void ListTextModel::gatherInPlace() const {
    // Nothing else holds the shared list, so its texts are moved where they belong rather than
    // copied into a new list: only the rows that moved are touched, and a moved text keeps its
    // reference count. A move swaps, so every text stays held exactly once; what is left
    // behind goes with the blocks' own lists or the end cut off.
    if (m_shared.size() < m_count)
        m_shared.resize(m_count);
    QString* rows = m_shared.data();
    // The windows keep the order of the rows they look at. Those that move to the front are
    // moved front first, those that move to the back back first: no window then overwrites
    // rows another has yet to move.
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        const Block& block = m_blocks[b];
        if (!block.owned && block.from > m_starts[b])
            std::move(rows + block.from, rows + block.from + block.size, rows + m_starts[b]);
    }
    for (std::size_t b = m_blocks.size(); b-- > 0;) {
        const Block& block = m_blocks[b];
        if (!block.owned && block.from < m_starts[b])
            std::move_backward(rows + block.from, rows + block.from + block.size,
                               rows + m_starts[b] + block.size);
    }
    // The changed blocks fill the places left between the windows.
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        Block& block = m_blocks[b];
        if (block.owned)
            std::move(block.own.begin(), block.own.end(), rows + m_starts[b]);
    }
    m_shared.resize(m_count);
}

QStringList ListTextModel::texts(int first, int n) const {
    if (first == 0 && n == m_count)
        return texts();
    QStringList rows;
    rows.reserve(n);
    for (qsizetype row = first, end = qsizetype(first) + n; row < end;) {
        const auto [block, at] = locate(row);
        const Block& b = m_blocks[block];
        const qsizetype take = std::min(b.size - at, end - row);
        if (b.owned)
            rows.append(b.own.cbegin() + at, b.own.cbegin() + at + take);
        else
            rows.append(m_shared.cbegin() + b.from + at, m_shared.cbegin() + b.from + at + take);
        row += take;
    }
    return rows;
}

void ListTextModel::setText(int row, const QString& text) {
    emit textsAboutToChange(row, row);
    const auto [block, at] = locate(row);
    own(block)[at] = text;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void ListTextModel::append(const QString& text) {
    insert(count(), text);
}

void ListTextModel::append(const QStringList& texts) {
    if (texts.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(texts.size()) - 1);
    if (m_count == 0) {
        // Into an empty list the texts are taken over as they are: no copy.
        QStringList old = std::exchange(m_shared, QStringList());
        const qsizetype oldRows = old.size();
        lookInto(texts);
        release(std::move(old), std::vector<Block>(), oldRows);
    } else {
        // The last block is filled up, the rest copied into blocks of their own.
        qsizetype from = 0;
        if (m_blocks.back().size < kBlockRows) {
            QStringList& last = own(m_blocks.size() - 1);
            from = std::min(kBlockRows - last.size(), texts.size());
            last.append(texts.cbegin(), texts.cbegin() + from);
            m_blocks.back().size = last.size();
        }
        for (; from < texts.size(); from += kBlockRows) {
            const qsizetype size = std::min(kBlockRows, texts.size() - from);
            m_starts.push_back(m_starts.back() + m_blocks.back().size);
            m_blocks.push_back(
                {QStringList(texts.cbegin() + from, texts.cbegin() + from + size), 0, size, true});
        }
    }
    m_count += texts.size();
    endInsertRows();
}

void ListTextModel::insert(int row, const QString& text) {
    beginInsertRows(QModelIndex(), row, row);
    if (m_blocks.empty()) {
        m_blocks.push_back({QStringList{text}, 0, 1, true});
        m_starts.push_back(0);
    } else {
        const auto [block, at] =
            row == m_count ? std::pair(m_blocks.size() - 1, m_blocks.back().size) : locate(row);
        QStringList& texts = own(block);
        texts.insert(at, text);
        m_blocks[block].size = texts.size();
        if (texts.size() >= 2 * kBlockRows) {
            Block second{texts.sliced(kBlockRows), 0, texts.size() - kBlockRows, true};
            texts.resize(kBlockRows);
            m_blocks[block].size = kBlockRows;
            m_blocks.insert(m_blocks.begin() + qsizetype(block) + 1, std::move(second));
            m_starts.insert(m_starts.begin() + qsizetype(block) + 1, 0);
        }
        renumberFrom(block + 1);
    }
    ++m_count;
    endInsertRows();
}

void ListTextModel::remove(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    const auto [block, at] = locate(row);
    if (m_blocks[block].size == 1) {
        m_blocks.erase(m_blocks.begin() + qsizetype(block));
        m_starts.erase(m_starts.begin() + qsizetype(block));
    } else {
        QStringList& texts = own(block);
        texts.removeAt(at);
        m_blocks[block].size = texts.size();
    }
    --m_count;
    renumberFrom(block);
    if (m_count == 0) {
        // The texts the emptied list looked into are not needed any more.
        const qsizetype rows = m_shared.size();
        release(std::exchange(m_shared, QStringList()), std::vector<Block>(), rows);
    }
    endRemoveRows();
}

void ListTextModel::setTexts(const QStringList& texts) {
    beginResetModel();
    QStringList old = std::exchange(m_shared, QStringList());
    std::vector<Block> oldBlocks = std::exchange(m_blocks, {});
    const qsizetype oldCount = std::exchange(m_count, texts.size());
    lookInto(texts);
    endResetModel();
    release(std::move(old), std::move(oldBlocks), oldCount);
}

std::size_t ListTextModel::splitAt(qsizetype row) {
    if (row >= m_count)
        return m_blocks.size();
    const auto [block, at] = locate(row);
    if (at == 0)
        return block;
    Block& b = m_blocks[block];
    Block tail;
    tail.size = b.size - at;
    if (b.owned) {
        tail.own = b.own.sliced(at);
        tail.owned = true;
        b.own.resize(at);
    } else {
        // Both halves stay windows onto the shared list.
        tail.from = b.from + at;
    }
    b.size = at;
    m_blocks.insert(m_blocks.begin() + qsizetype(block) + 1, std::move(tail));
    m_starts.insert(m_starts.begin() + qsizetype(block) + 1, m_starts[block] + at);
    return block + 1;
}

void ListTextModel::insert(int row, const QStringList& texts) {
    if (texts.isEmpty())
        return;
    if (row >= m_count) {
        append(texts);
        return;
    }
    if (texts.size() == 1) {
        insert(row, texts.first());
        return;
    }
    beginInsertRows(QModelIndex(), row, row + int(texts.size()) - 1);
    const auto [block, at] = locate(row);
    if (m_blocks[block].size + texts.size() < 2 * kBlockRows) {
        // A few rows go into their block.
        QStringList& own = this->own(block);
        QStringList merged;
        merged.reserve(own.size() + texts.size());
        merged.append(own.cbegin(), own.cbegin() + at);
        merged.append(texts);
        merged.append(own.cbegin() + at, own.cend());
        own = std::move(merged);
        m_blocks[block].size = own.size();
        renumberFrom(block + 1);
    } else {
        // Many rows become blocks of their own between the two halves of the block.
        const std::size_t before = splitAt(row);
        std::vector<Block> fresh;
        for (qsizetype from = 0; from < texts.size(); from += kBlockRows) {
            const qsizetype size = std::min(kBlockRows, texts.size() - from);
            fresh.push_back(
                {QStringList(texts.cbegin() + from, texts.cbegin() + from + size), 0, size, true});
        }
        m_starts.insert(m_starts.begin() + qsizetype(before), fresh.size(), 0);
        m_blocks.insert(m_blocks.begin() + qsizetype(before), std::make_move_iterator(fresh.begin()),
                        std::make_move_iterator(fresh.end()));
        renumberFrom(before);
    }
    m_count += texts.size();
    m_lastBlock = 0;
    endInsertRows();
}

void ListTextModel::remove(int row, int n) {
    if (n <= 0)
        return;
    if (n == 1) {
        remove(row);
        return;
    }
    beginRemoveRows(QModelIndex(), row, row + n - 1);
    if (const auto [block, at] = locate(row); at + n < m_blocks[block].size) {
        // Rows within one block leave it.
        own(block).remove(at, n);
        m_blocks[block].size -= n;
        m_count -= n;
        renumberFrom(block + 1);
        endRemoveRows();
        return;
    }
    const std::size_t first = splitAt(row);
    const std::size_t last = splitAt(qsizetype(row) + n);
    m_blocks.erase(m_blocks.begin() + qsizetype(first), m_blocks.begin() + qsizetype(last));
    m_starts.erase(m_starts.begin() + qsizetype(first), m_starts.begin() + qsizetype(last));
    m_count -= n;
    m_lastBlock = 0;
    renumberFrom(first);
    if (m_count == 0) {
        const qsizetype rows = m_shared.size();
        release(std::exchange(m_shared, QStringList()), std::vector<Block>(), rows);
    }
    endRemoveRows();
}

void ListTextModel::replace(int row, const QStringList& texts) {
    if (texts.isEmpty())
        return;
    const int last = row + int(texts.size()) - 1;
    emit textsAboutToChange(row, last);
    for (qsizetype done = 0; done < texts.size();) {
        const auto [block, at] = locate(row + done);
        QStringList& own = this->own(block);
        const qsizetype take = std::min(own.size() - at, texts.size() - done);
        std::copy(texts.cbegin() + done, texts.cbegin() + done + take, own.begin() + at);
        done += take;
    }
    emit dataChanged(index(row), index(last), {Qt::DisplayRole, Qt::EditRole});
}

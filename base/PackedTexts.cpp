#include "base/PackedTexts.h"

#include <algorithm>
#include <functional>

namespace {

/// Rows a block takes when rows are appended; an edit may leave a block up to twice this.
constexpr qsizetype kBlockRows = 2048;

} // namespace

char* PackedTexts::Block::addRow(qsizetype length) {
    if (count % kMarkEvery == 0)
        marks.push_back(quint32(bytes.size()));
    char prefix[5];
    int n = 0;
    auto rest = quint32(length);
    do {
        prefix[n] = char(rest & 0x7F);
        rest >>= 7;
        if (rest != 0)
            prefix[n] = char(prefix[n] | 0x80);
        ++n;
    } while (rest != 0);
    const qsizetype at = bytes.size();
    bytes.resize(at + n + length);
    char* out = bytes.data() + at;
    std::memcpy(out, prefix, std::size_t(n));
    ++count;
    return out + n;
}

void PackedTexts::Block::addRows(const Block& other, qsizetype first, qsizetype n) {
    if (n <= 0)
        return;
    qsizetype at = other.placeOf(first);
    bytes.reserve(bytes.size() + other.placeOf(first + n) - at);
    for (; n > 0; --n)
        add(rowAt(other.bytes.constData(), at));
}

PackedTexts::Cursor::Cursor(const PackedTexts& texts, qsizetype from)
    : m_texts(texts), m_block(texts.blockOf(from)) {
    if (from >= texts.size()) {
        m_block = texts.m_blocks.size();
        return;
    }
    m_row = from - texts.m_starts[m_block];
    m_at = texts.m_blocks[m_block]->placeOf(m_row);
}

PackedTexts::PackedTexts(const QStringList& texts) {
    for (const QString& text : texts)
        append(text);
}

PackedTexts::PackedTexts(std::initializer_list<QString> texts) {
    for (const QString& text : texts)
        append(text);
}

QString PackedTexts::decoded(QByteArrayView utf8) {
    if (utf8.startsWith("\xEF\xBB\xBF"))
        return QChar(0xFEFF) + decoded(utf8.sliced(3));
    return QString::fromUtf8(utf8);
}

bool PackedTexts::isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

QString PackedTexts::value(qsizetype row) const {
    return row >= 0 && row < m_count ? at(row) : QString();
}

QByteArrayView PackedTexts::utf8(qsizetype row) const {
    const std::size_t b = blockOf(row);
    return m_blocks[b]->row(row - m_starts[b]);
}

QStringList PackedTexts::toList() const {
    QStringList texts;
    texts.reserve(m_count);
    forEach([&texts](QByteArrayView bytes) { texts.append(decoded(bytes)); });
    return texts;
}

std::size_t PackedTexts::blockOf(qsizetype row) const {
    if (m_blocks.empty())
        return 0;
    if (row >= m_count)
        return m_blocks.size() - 1;
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    return std::size_t(after - m_starts.begin()) - 1;
}

PackedTexts::Block& PackedTexts::openEnd() {
    if (!m_blocks.empty() && m_blocks.back()->rows() < kBlockRows) {
        BlockPtr& last = m_blocks.back();
        // A block another list still holds is copied before it grows.
        if (last.use_count() > 1)
            last = std::make_shared<Block>(*last);
        return *last;
    }
    if (!m_blocks.empty() && m_blocks.back().use_count() == 1) {
        // A full block is done growing: it gives back what its buffers kept in reserve.
        m_blocks.back()->bytes.squeeze();
        m_blocks.back()->marks.shrink_to_fit();
    }
    m_starts.push_back(m_count);
    m_blocks.push_back(std::make_shared<Block>());
    return *m_blocks.back();
}

void PackedTexts::appendUtf8(QByteArrayView bytes) {
    Block& block = openEnd();
    // A row of this very block moves when the block grows: it is copied out first.
    const std::less<const char*> before;
    if (!before(bytes.data(), block.bytes.constData()) &&
        before(bytes.data(), block.bytes.constData() + block.bytes.size()))
        block.add(bytes.toByteArray());
    else
        block.add(bytes);
    ++m_count;
}

void PackedTexts::append(QStringView text) {
    // Numbers, as most rows are, go in without an encoded copy of their own.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        char* out = openEnd().addRow(text.size());
        for (const QChar c : text)
            *out++ = char(c.unicode());
        ++m_count;
        return;
    }
    appendUtf8(text.toUtf8());
}

void PackedTexts::appendLatin1(QByteArrayView bytes) {
    if (isAscii(bytes))
        appendUtf8(bytes);
    else
        appendUtf8(QString::fromLatin1(bytes).toUtf8());
}

PackedTexts PackedTexts::mid(qsizetype from, qsizetype n) const {
    from = std::clamp<qsizetype>(from, 0, m_count);
    n = std::clamp<qsizetype>(n, 0, m_count - from);
    PackedTexts part;
    for (std::size_t b = blockOf(from); n > 0 && b < m_blocks.size(); ++b) {
        const qsizetype at = from - m_starts[b];
        const qsizetype take = std::min(m_blocks[b]->rows() - at, n);
        part.m_starts.push_back(part.m_count);
        if (take == m_blocks[b]->rows()) {
            part.m_blocks.push_back(m_blocks[b]);
        } else {
            auto edge = std::make_shared<Block>();
            edge->addRows(*m_blocks[b], at, take);
            part.m_blocks.push_back(std::move(edge));
        }
        part.m_count += take;
        from += take;
        n -= take;
    }
    return part;
}

void PackedTexts::renumberFrom(std::size_t b) {
    m_starts.resize(m_blocks.size());
    for (; b < m_blocks.size(); ++b)
        m_starts[b] = b == 0 ? 0 : m_starts[b - 1] + m_blocks[b - 1]->rows();
}

std::size_t PackedTexts::splitAt(qsizetype row) {
    if (row >= m_count)
        return m_blocks.size();
    const std::size_t b = blockOf(row);
    const qsizetype at = row - m_starts[b];
    if (at == 0)
        return b;
    const Block& whole = *m_blocks[b];
    auto head = std::make_shared<Block>();
    auto tail = std::make_shared<Block>();
    head->addRows(whole, 0, at);
    tail->addRows(whole, at, whole.rows() - at);
    m_blocks[b] = std::move(head);
    m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(b) + 1, std::move(tail));
    m_starts.insert(m_starts.begin() + std::ptrdiff_t(b) + 1, row);
    return b + 1;
}

void PackedTexts::joinAround(std::size_t b) {
    const auto join = [this](std::size_t first) {
        if (first + 1 >= m_blocks.size() ||
            m_blocks[first]->rows() + m_blocks[first + 1]->rows() > kBlockRows)
            return;
        auto joined = std::make_shared<Block>();
        joined->addRows(*m_blocks[first], 0, m_blocks[first]->rows());
        joined->addRows(*m_blocks[first + 1], 0, m_blocks[first + 1]->rows());
        m_blocks[first] = std::move(joined);
        m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(first) + 1);
    };
    join(b);
    if (b > 0)
        join(b - 1);
}

void PackedTexts::insert(qsizetype at, const PackedTexts& given) {
    if (given.isEmpty())
        return;
    const PackedTexts rows = given; // `given` may be this list
    at = std::clamp<qsizetype>(at, 0, m_count);
    const std::size_t b = blockOf(at);
    if (!m_blocks.empty() && m_blocks[b]->rows() + rows.size() <= 2 * kBlockRows) {
        // A few rows go into the block that holds the place.
        const Block& old = *m_blocks[b];
        const qsizetype split = at - m_starts[b];
        auto merged = std::make_shared<Block>();
        merged->addRows(old, 0, split);
        rows.forEach([&merged](QByteArrayView bytes) { merged->add(bytes); });
        merged->addRows(old, split, old.rows() - split);
        m_blocks[b] = std::move(merged);
        m_count += rows.size();
        renumberFrom(b + 1);
        return;
    }
    // Many rows: their blocks are taken over between the two halves of the block.
    const std::size_t before = splitAt(at);
    m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(before), rows.m_blocks.begin(),
                    rows.m_blocks.end());
    m_count += rows.size();
    const std::size_t after = before + rows.m_blocks.size();
    joinAround(after - 1);
    joinAround(before);
    renumberFrom(0);
}

void PackedTexts::remove(qsizetype at, qsizetype n) {
    at = std::clamp<qsizetype>(at, 0, m_count);
    n = std::clamp<qsizetype>(n, 0, m_count - at);
    if (n == 0)
        return;
    const std::size_t b = blockOf(at);
    const Block& old = *m_blocks[b];
    const qsizetype first = at - m_starts[b];
    if (first + n < old.rows() || (first > 0 && first + n == old.rows())) {
        // Rows within one block leave it.
        auto kept = std::make_shared<Block>();
        kept->addRows(old, 0, first);
        kept->addRows(old, first + n, old.rows() - first - n);
        m_blocks[b] = std::move(kept);
        m_count -= n;
        joinAround(b);
        renumberFrom(0);
        return;
    }
    const std::size_t from = splitAt(at);
    const std::size_t to = splitAt(at + n);
    m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(from), m_blocks.begin() + std::ptrdiff_t(to));
    m_count -= n;
    if (from > 0)
        joinAround(from - 1);
    renumberFrom(0);
}

void PackedTexts::replace(qsizetype at, const PackedTexts& rows) {
    const PackedTexts with = rows; // `rows` may be this list
    remove(at, with.size());
    insert(at, with);
}

void PackedTexts::set(qsizetype row, QStringView text) {
    PackedTexts one;
    one.append(text);
    replace(row, one);
}

qint64 PackedTexts::storedBytes() const {
    qint64 bytes = 0;
    for (const BlockPtr& block : m_blocks)
        bytes += block->bytes.size() + qint64(sizeof(quint32) * block->marks.size()) + 64;
    return bytes;
}

qint64 PackedTexts::textBytes() const {
    qint64 bytes = 0;
    for (const BlockPtr& block : m_blocks)
        bytes += block->bytes.size();
    return bytes;
}

bool operator==(const PackedTexts& a, const PackedTexts& b) {
    if (a.m_count != b.m_count)
        return false;
    if (a.m_blocks == b.m_blocks)
        return true;
    for (qsizetype row = 0; row < a.m_count; ++row) {
        if (a.utf8(row) != b.utf8(row))
            return false;
    }
    return true;
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstring>
#include <memory>
#include <vector>

/// A list of short texts kept as UTF-8 bytes in blocks: a row costs its bytes, a byte for its
/// length and a quarter byte of index, not a string object with an allocation of its own. A
/// song's lists hold millions of numbers of a few digits, so this is a tenth of what a list of
/// strings takes.
///
/// Blocks are shared between copies and changed only when nothing else holds them, so a copy
/// or a run taken out of a long list costs the blocks at its two edges and nothing for those
/// between: the undo history keeps a removed million rows without copying a byte. A change
/// of a few rows copies the block that holds them, at most a few thousand rows.
///
/// Reading is const and touches nothing, so any thread may read a list that no one changes.
class PackedTexts {
public:
    PackedTexts() = default;
    /// One row per text.
    PackedTexts(const QStringList& texts);
    PackedTexts(std::initializer_list<QString> texts);

    qsizetype size() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    /// Row `row` as text; rows must be within the list.
    QString at(qsizetype row) const { return decoded(utf8(row)); }
    QString operator[](qsizetype row) const { return at(row); }
    /// Row `row`, or empty text outside the list.
    QString value(qsizetype row) const;
    /// Row `row`'s bytes as they are kept (UTF-8), valid until the list changes.
    QByteArrayView utf8(qsizetype row) const;
    /// Every row as a string of its own.
    QStringList toList() const;

    void append(QStringView text);
    void append(const QString& text) { append(QStringView(text)); }
    /// Appends a row given as UTF-8 bytes.
    void appendUtf8(QByteArrayView bytes);
    /// Appends a row given as Latin-1 bytes (a song file's).
    void appendLatin1(QByteArrayView bytes);
    void append(const PackedTexts& rows) { insert(m_count, rows); }
    PackedTexts& operator<<(const QString& text) {
        append(text);
        return *this;
    }

    /// Rows from … from + n − 1 (clamped to the list).
    PackedTexts mid(qsizetype from, qsizetype n) const;
    PackedTexts first(qsizetype n) const { return mid(0, n); }
    PackedTexts sliced(qsizetype from) const { return mid(from, m_count - from); }

    /// Inserts the rows before `at` (at the end for `at` = size()).
    void insert(qsizetype at, const PackedTexts& rows);
    /// Removes rows at … at + n − 1.
    void remove(qsizetype at, qsizetype n);
    /// Replaces rows at … at + rows.size() − 1 by the rows.
    void replace(qsizetype at, const PackedTexts& rows);
    /// Replaces row `row` by the text.
    void set(qsizetype row, QStringView text);

    /// Memory the rows take: their bytes, lengths and index.
    qint64 storedBytes() const;
    /// The rows' bytes with their lengths: at most what they take written out one after the
    /// other, with a byte or more between them.
    qint64 textBytes() const;

    friend bool operator==(const PackedTexts& a, const PackedTexts& b);

    /// A row's bytes as text, a leading byte order mark included (a row is a text of its own,
    /// not the start of a file, and keeps every character it was given).
    static QString decoded(QByteArrayView utf8);
    /// True when every byte is below 128: such bytes are the same in UTF-8 and Latin-1.
    static bool isAscii(QByteArrayView bytes);

    /// Calls `visit(QByteArrayView utf8)` for rows from … from + n − 1 in order, block by block:
    /// the way to go through a long list without a lookup per row.
    template <typename Visit> void forEach(qsizetype from, qsizetype n, Visit&& visit) const {
        for (Cursor cursor(*this, from); n > 0; --n)
            visit(cursor.next());
    }
    template <typename Visit> void forEach(Visit&& visit) const {
        forEach(0, m_count, std::forward<Visit>(visit));
    }

    /// Reads the rows one after the other from row `from` on, without a lookup per row.
    class Cursor {
    public:
        explicit Cursor(const PackedTexts& texts, qsizetype from = 0);
        /// The next row's bytes; empty past the end.
        QByteArrayView next() {
            while (m_block < m_texts.m_blocks.size()) {
                const Block& block = *m_texts.m_blocks[m_block];
                if (m_row < block.rows()) {
                    ++m_row;
                    return Block::rowAt(block.bytes.constData(), m_at);
                }
                ++m_block;
                m_row = 0;
                m_at = 0;
            }
            return {};
        }

    private:
        const PackedTexts& m_texts;
        std::size_t m_block = 0;
        qsizetype m_row = 0;
        /// Where the next row begins in its block's bytes.
        qsizetype m_at = 0;
    };

private:
    /// Rows one after the other, each its length (7 bits a byte, low bits first, the high bit
    /// set in all bytes but the last) and then its bytes; every 16th row's place is marked.
    struct Block {
        static constexpr qsizetype kMarkEvery = 16;

        QByteArray bytes;
        std::vector<quint32> marks;
        qsizetype count = 0;

        qsizetype rows() const { return count; }
        /// The row beginning at `at`; `at` moves on to the next row.
        static QByteArrayView rowAt(const char* data, qsizetype& at) {
            quint32 length = 0;
            for (int shift = 0;; shift += 7) {
                const auto byte = static_cast<unsigned char>(data[at++]);
                length |= quint32(byte & 0x7F) << shift;
                if (byte < 0x80)
                    break;
            }
            const QByteArrayView row(data + at, length);
            at += length;
            return row;
        }
        /// Where row `i` begins.
        qsizetype placeOf(qsizetype i) const {
            qsizetype at = i == count ? bytes.size() : marks[std::size_t(i / kMarkEvery)];
            for (qsizetype k = i < count ? i % kMarkEvery : 0; k > 0; --k)
                rowAt(bytes.constData(), at);
            return at;
        }
        QByteArrayView row(qsizetype i) const {
            qsizetype at = placeOf(i);
            return rowAt(bytes.constData(), at);
        }
        /// Makes room for a row of `length` bytes and returns where its bytes go.
        char* addRow(qsizetype length);
        void add(QByteArrayView utf8) {
            if (!utf8.isEmpty())
                std::memcpy(addRow(utf8.size()), utf8.data(), std::size_t(utf8.size()));
            else
                addRow(0);
        }
        /// Appends rows first … first + n − 1 of another block.
        void addRows(const Block& other, qsizetype first, qsizetype n);
    };
    using BlockPtr = std::shared_ptr<Block>;

    /// The block holding `row` (the last block for `row` = size()).
    std::size_t blockOf(qsizetype row) const;
    /// A block to append to at the end: the last one when it has room and nothing else holds
    /// it, else a new one.
    Block& openEnd();
    /// Makes `row` begin a block, splitting the block that holds it; returns that block's
    /// index (the count of blocks for `row` = size()).
    std::size_t splitAt(qsizetype row);
    /// Joins small neighbours around block `b`, so that edits do not leave splinters. The
    /// start rows are renumbered afterwards.
    void joinAround(std::size_t b);
    /// The start rows from block `b` on follow the blocks before them again.
    void renumberFrom(std::size_t b);

    std::vector<BlockPtr> m_blocks;
    /// The first row of each block.
    std::vector<qsizetype> m_starts;
    qsizetype m_count = 0;
};

#include "files/SongFormat.h"

#include "base/Errors.h"

#include <QLocale>

#include <algorithm>

#include <cstring>

namespace {

constexpr char kSeparator = '|';
constexpr char kQuote = '"';
constexpr char kEndOfFile = 26; // Ctrl+Z

inline bool isSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

/// Splits [p, end) into fields, calling `add` for each, until `maxFields` were added.
/// Returns the number of fields added.
template <typename Add> int splitFields(const char* p, const char* end, int maxFields, Add&& add) {
    int count = 0;
    while (p < end && isSpace(*p))
        ++p;
    QByteArray quoted;
    while (p < end && count < maxFields) {
        if (*p == kQuote) {
            ++p;
            quoted.clear();
            while (p < end) {
                if (*p == kQuote) {
                    if (p + 1 < end && p[1] == kQuote) {
                        quoted.append(kQuote);
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                quoted.append(*p++);
            }
            add(quoted.constData(), quoted.size());
        } else {
            const char* start = p;
            while (p < end && !isSpace(*p) && *p != kSeparator)
                ++p;
            add(start, p - start);
        }
        ++count;
        while (p < end && isSpace(*p))
            ++p;
        if (p < end && *p == kSeparator) {
            if (p + 1 == end && count < maxFields) {
                add(p, 0);
                ++count;
            }
            ++p;
            while (p < end && isSpace(*p))
                ++p;
        }
    }
    return count;
}

} // namespace

namespace SongFormat {

namespace {

/// The song's lines "f1|d1|f2|d2" and CR LF, each field put at `out` by `field`, which may
/// write fewer bytes than the field's UTF-8 but never more. The bytes go straight into a
/// buffer of the largest size the text can have, cut to size at the end.
template <typename Field> QByteArray joinedLines(const SongTracks& song, Field&& field) {
    const qsizetype n = song.freq1.size();
    qsizetype largest = 6 * n;
    for (const PackedTexts* list : {&song.freq1, &song.dur1, &song.freq2, &song.dur2})
        largest += list->textBytes();
    QByteArray bytes(largest, Qt::Uninitialized);
    char* out = bytes.data();
    PackedTexts::Cursor f1(song.freq1), d1(song.dur1), f2(song.freq2), d2(song.dur2);
    for (qsizetype i = 0; i < n; ++i) {
        field(out, f1.next());
        *out++ = kSeparator;
        field(out, d1.next());
        *out++ = kSeparator;
        field(out, f2.next());
        *out++ = kSeparator;
        field(out, d2.next());
        *out++ = '\r';
        *out++ = '\n';
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

void put(char*& out, QByteArrayView bytes) {
    if (bytes.isEmpty())
        return;
    std::memcpy(out, bytes.data(), std::size_t(bytes.size()));
    out += bytes.size();
}

} // namespace

QByteArray write(const SongTracks& song) {
    // The lists keep UTF-8; the file is Latin-1, which takes no more bytes. Plain ASCII, as
    // numbers are, is the same in both and is copied as it is.
    return joinedLines(song, [](char*& out, QByteArrayView utf8) {
        if (PackedTexts::isAscii(utf8))
            put(out, utf8);
        else
            put(out, PackedTexts::decoded(utf8).toLatin1());
    });
}

QByteArray writeUtf8(const SongTracks& song) {
    return joinedLines(song, put);
}

QStringList splitLine(QByteArrayView line, int maxFields) {
    QStringList fields;
    splitFields(
        line.data(), line.data() + line.size(), maxFields,
        [&](const char* data, qsizetype size) { fields.append(QString::fromLatin1(data, size)); });
    return fields;
}

QString tooManyLinesText() {
    return QStringLiteral("Datei zu groß (mehr als %1 Zeilen)")
        .arg(QLocale(QLocale::German).toString(qlonglong(kMaxLines)));
}

namespace {

/// Where reading ends: at the first Ctrl+Z byte or at the end of the data.
const char* readableEnd(QByteArrayView data) {
    const char* end = data.data() + data.size();
    if (data.isEmpty())
        return end;
    if (const void* eof = std::memchr(data.data(), kEndOfFile, size_t(data.size())))
        end = static_cast<const char*>(eof);
    return end;
}

} // namespace

qsizetype lineCount(QByteArrayView data) {
    const char* begin = data.data();
    const char* end = readableEnd(data);
    if (begin == end)
        return 0;
    const qsizetype ends = std::count(begin, end, '\n');
    return end[-1] == '\n' ? ends : ends + 1;
}

ReadResult read(QByteArrayView data) {
    ReadResult result;
    const char* p = data.data();
    const char* end = readableEnd(data);
    if (p == end)
        return result;
    // Counting first costs little against the reading itself, and a refused file leaves no
    // half-read song behind.
    const qsizetype lines = lineCount(data);
    if (lines > kMaxLines)
        throw AppError(tooManyLinesText());

    SongTracks& song = result.song;
    PackedTexts* lists[4] = {&song.freq1, &song.dur1, &song.freq2, &song.dur2};
    QByteArrayView fields[4];
    QByteArray unquoted[4];
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* next = lineEnd ? lineEnd + 1 : end;
        if (!lineEnd)
            lineEnd = end;
        else if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;

        // A line goes into the lists only whole: its fields wait until all four are read. A
        // plain field is read where it stands; a quoted one comes in the splitter's buffer,
        // which the next quoted field reuses, and is kept aside.
        int filled = 0;
        splitFields(p, lineEnd, 4, [&](const char* text, qsizetype size) {
            const int k = filled++;
            if (text >= p && text <= lineEnd) {
                fields[k] = QByteArrayView(text, size);
                return;
            }
            unquoted[k].truncate(0); // keeps its buffer for the next line
            unquoted[k].append(text, size);
            fields[k] = unquoted[k];
        });
        if (filled < 4) {
            result.shortLineFields = filled;
            break;
        }
        for (int k = 0; k < 4; ++k)
            lists[k]->appendLatin1(fields[k]);
        p = next;
    }
    return result;
}

} // namespace SongFormat

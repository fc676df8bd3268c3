#include "files/SongFormat.h"

#include "base/Errors.h"

#include <QHash>
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

/// Turns field bytes into list texts. Songs repeat the same few numbers over and over, so
/// short fields are shared: one text per distinct value instead of one allocation per field.
class FieldTexts {
public:
    QString text(const char* data, qsizetype size) {
        if (size == 0)
            return QString();
        if (size > 7)
            return QString::fromLatin1(data, size);
        quint64 key = quint64(size);
        for (qsizetype i = 0; i < size; ++i)
            key = (key << 8) | static_cast<unsigned char>(data[i]);
        const auto found = m_cache.constFind(key);
        if (found != m_cache.constEnd())
            return *found;
        QString value = QString::fromLatin1(data, size);
        if (m_cache.size() < kLimit)
            m_cache.insert(key, value);
        return value;
    }

private:
    static constexpr qsizetype kLimit = 4096;
    QHash<quint64, QString> m_cache;
};

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

QByteArray write(const SongTracks& song) {
    const qsizetype n = song.freq1.size();
    QByteArray bytes;
    // Typical lines are short numbers; reserving avoids most regrowth.
    bytes.reserve(n * 20);
    for (qsizetype i = 0; i < n; ++i) {
        bytes.append(song.freq1.at(i).toLatin1());
        bytes.append(kSeparator);
        bytes.append(song.dur1.at(i).toLatin1());
        bytes.append(kSeparator);
        bytes.append(song.freq2.at(i).toLatin1());
        bytes.append(kSeparator);
        bytes.append(song.dur2.at(i).toLatin1());
        bytes.append("\r\n", 2);
    }
    return bytes;
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
    for (QStringList* list : {&song.freq1, &song.dur1, &song.freq2, &song.dur2})
        list->reserve(lines);

    FieldTexts texts;
    QString fields[4];
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* next = lineEnd ? lineEnd + 1 : end;
        if (!lineEnd)
            lineEnd = end;
        else if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;

        int filled = 0;
        splitFields(p, lineEnd, 4, [&](const char* text, qsizetype size) {
            fields[filled++] = texts.text(text, size);
        });
        if (filled < 4) {
            result.shortLineFields = filled;
            break;
        }
        song.freq1.append(std::move(fields[0]));
        song.dur1.append(std::move(fields[1]));
        song.freq2.append(std::move(fields[2]));
        song.dur2.append(std::move(fields[3]));
        p = next;
    }
    return result;
}

} // namespace SongFormat

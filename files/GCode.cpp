#include "files/GCode.h"

#include "base/Errors.h"

#include <QList>

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>

namespace {

/// The song's name as it may stand in a comment: printable ASCII, no line end.
QByteArray commentName(const QString& name) {
    QByteArray text;
    for (QChar c : name)
        text += c.unicode() >= 32 && c.unicode() < 127 ? char(c.unicode()) : '?';
    return text.isEmpty() ? QByteArray("Z1rpW3rk") : text;
}

[[noreturn]] void fail(qsizetype line, const QString& reason) {
    throw AppError(QStringLiteral("G-Code-Fehler in Zeile %1: %2").arg(line).arg(reason));
}

/// One command's words after comments are taken out: a letter and a number each.
struct Words {
    QList<QPair<char, QByteArray>> words;
    std::optional<QByteArray> value(char letter) const {
        for (const auto& [l, v] : words)
            if (l == letter)
                return v;
        return std::nullopt;
    }
};

Words wordsOf(QByteArrayView line) {
    Words out;
    QByteArray clean;
    int parens = 0;
    for (char c : line) {
        if (c == ';' && parens == 0)
            break;
        if (c == '(')
            ++parens;
        else if (c == ')' && parens > 0)
            --parens;
        else if (c == '*' && parens == 0) // the checksum ends the command
            break;
        else if (parens == 0)
            clean += c;
    }
    qsizetype i = 0;
    while (i < clean.size()) {
        const char c = clean[i];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < clean.size() && !std::isalpha(static_cast<unsigned char>(clean[end])))
            ++end;
        out.words.append({char(std::toupper(static_cast<unsigned char>(c))),
                          clean.mid(i + 1, end - i - 1).trimmed()});
        i = end;
    }
    return out;
}

/// A word's value as whole milliseconds (or hertz) after scaling; nothing where it is no
/// number.
std::optional<qint64> numberOf(const QByteArray& text, double scale) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 0) || value * scale > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return qint64(value * scale + 0.5);
}

} // namespace

namespace GCode {

QByteArray write(const QList<PlayedTone>& tones, const QString& name) {
    qint64 total = 0, count = 0;
    for (const PlayedTone& tone : tones)
        if (tone.durationMs > 0) {
            total += tone.durationMs;
            ++count;
        }
    QByteArray text = "; " + commentName(name) + ": a tune written by Z1rpW3rk, " +
                      QByteArray::number(count) + " lines, " + QByteArray::number(total) +
                      " ms.\n"
                      "; M300 S<Hz> P<ms> sounds the printer's buzzer, G4 P<ms> waits.\n";
    for (const PlayedTone& tone : tones) {
        if (tone.durationMs <= 0)
            continue;
        if (tone.frequency > 0)
            text += "M300 S" + QByteArray::number(tone.frequency) + " P" +
                    QByteArray::number(tone.durationMs) + '\n';
        else
            text += "G4 P" + QByteArray::number(tone.durationMs) + '\n';
    }
    return text;
}

QList<PlayedTone> read(QByteArrayView data) {
    QList<PlayedTone> tones;
    qsizetype lineNumber = 0;
    qsizetype at = 0;
    while (at < data.size()) {
        qsizetype end = data.indexOf('\n', at);
        if (end < 0)
            end = data.size();
        ++lineNumber;
        const Words words = wordsOf(data.sliced(at, end - at));
        at = end + 1;
        // The command is the first word that is not a line number.
        qsizetype first = 0;
        while (first < words.words.size() && words.words[first].first == 'N')
            ++first;
        if (first >= words.words.size())
            continue;
        const auto& [letter, code] = words.words[first];
        bool ok = false;
        const int number = code.toInt(&ok);
        if (!ok)
            continue;
        const auto valueOf = [&](char name, double scale, qint64 fallback) -> qint64 {
            const auto text = words.value(name);
            if (!text)
                return fallback;
            const auto value = numberOf(*text, scale);
            if (!value)
                fail(lineNumber, QStringLiteral("%1 ist keine gültige Zahl")
                                     .arg(QLatin1Char(name) + QString::fromLatin1(*text)));
            return *value;
        };
        if (letter == 'M' && number == 300) {
            const qint64 hz = valueOf('S', 1, kDefaultHz);
            const qint64 ms = valueOf('P', 1, kDefaultMs);
            if (ms > 0)
                tones.append({int(hz), int(ms)});
        } else if (letter == 'G' && number == 4) {
            const qint64 ms = words.value('P') ? valueOf('P', 1, 0) : valueOf('S', 1000, 0);
            if (ms > 0)
                tones.append({0, int(ms)});
        }
    }
    return tones;
}

} // namespace GCode

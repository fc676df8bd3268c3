#include "settings/IniFile.h"

#include "base/Errors.h"
#include "base/StrToInt.h"
#include "base/FileAccess.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>

#include <optional>
#include <utility>

namespace {

// The file's lines, without their line ends. A file that is not UTF-8 (written by hand in a
// legacy code page) is read as Latin-1 so that its text survives a rewrite.
QStringList splitLines(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line end adds no line
    return lines;
}

// The name of a section line "[name]", or nothing for any other line.
std::optional<QString> sectionName(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

// The key of a key line "key=value", or nothing for a line without "=".
std::optional<QString> keyName(const QString& line) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    return line.left(equals).trimmed();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section's lines are: the index of its header, and one past its last key line
// (trailing blank lines belong to the gap before the next section).
struct SectionSpan {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionSpan findSection(const QStringList& lines, const QString& section) {
    SectionSpan span;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QString> name = sectionName(lines[i]);
        if (!name)
            continue;
        if (span.header >= 0) // the first section of this name counts, as on reading
            break;
        if (sameName(*name, section))
            span.header = i;
    }
    if (span.header < 0)
        return span;
    span.end = span.header + 1;
    for (qsizetype i = span.header + 1; i < lines.size() && !sectionName(lines[i]); ++i)
        if (!lines[i].trimmed().isEmpty())
            span.end = i + 1;
    return span;
}

qsizetype findKey(const QStringList& lines, const SectionSpan& span, const QString& key) {
    for (qsizetype i = span.header + 1; i < span.end; ++i)
        if (const std::optional<QString> name = keyName(lines[i]); name && sameName(*name, key))
            return i;
    return -1;
}

[[noreturn]] void cannotWrite(const QString& path) {
    throw AppError(QStringLiteral("In %1 kann nicht geschrieben werden").arg(path));
}

} // namespace

IniFile::IniFile(QString path, Writes writes) : m_path(std::move(path)), m_writes(writes) {
    const QFileInfo info(m_path);
    if (!info.exists())
        return;
    // Only a regular file: a pipe or device of that name would hold up the program, and what
    // cannot be read is not rewritten (its contents would be lost).
    if (!info.isFile() || !info.isReadable()) {
        m_state = State::Unreadable;
        return;
    }
    try {
        m_lines = splitLines(FileAccess::readAll(m_path, kMaxFileSize));
    } catch (const EInOutError&) {
        m_state = State::Unreadable;
    } catch (const AppError&) {
        // Larger than any file the program writes: it is not ours to read or rewrite.
        m_state = State::TooLarge;
    }
}

QString IniFile::tooLargeText() const {
    return QStringLiteral("%1 ist größer als %2 MB und wird weder gelesen noch geändert; es "
                          "gelten die Standardeinstellungen.")
        .arg(m_path)
        .arg(kMaxFileSize / (1024 * 1024));
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const SectionSpan span = findSection(m_lines, section);
    if (span.header < 0)
        return defaultValue;
    const qsizetype index = findKey(m_lines, span, key);
    if (index < 0)
        return defaultValue;
    const QString& line = m_lines[index];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed().left(kMaxValueLength).trimmed();
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    QString text = readString(section, key, QString());
    if (text.size() > 2 && text[0] == QLatin1Char('0') &&
        (text[1] == QLatin1Char('x') || text[1] == QLatin1Char('X')))
        text = QLatin1Char('$') + text.mid(2);
    return TryStrToInt(text).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A value is one line: a line break would split it into a second, foreign key.
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString entry = key + QLatin1Char('=') + flat;

    const SectionSpan span = findSection(m_lines, section);
    if (span.header < 0) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(entry);
    } else if (const qsizetype index = findKey(m_lines, span, key); index >= 0) {
        if (m_lines[index] == entry && m_writes == Writes::OnSave)
            return;
        m_lines[index] = entry;
    } else {
        m_lines.insert(span.end, entry);
    }
    m_changed = true;
    if (m_writes == Writes::Immediate)
        save();
}

QByteArray IniFile::bytes() const {
    QByteArray bytes;
    for (const QString& line : std::as_const(m_lines)) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

void IniFile::setBytes(const QByteArray& bytes) {
    const QStringList lines = splitLines(bytes);
    if (lines == m_lines)
        return;
    m_lines = lines;
    m_changed = true;
    if (m_writes == Writes::Immediate)
        save();
}

void IniFile::save() {
    if (m_state == State::TooLarge) // said once when it was read; it stays as it is
        return;
    if (m_state == State::Unreadable)
        cannotWrite(m_path); // rewriting a file we cannot read would lose its contents
    if (!m_changed)
        return;
    const QFileInfo info(m_path);
    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath()))
        cannotWrite(m_path);
    try {
        SafeFile file(m_path);
        file.write(bytes());
        // The file may hold a password: only its owner may read it.
        file.setOwnerOnly();
        file.commit();
    } catch (const EInOutError&) {
        cannotWrite(m_path);
    }
    m_changed = false;
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

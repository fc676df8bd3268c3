#include "files/RecentFiles.h"

#include "base/Errors.h"
#include "files/SongFiles.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringDecoder>

const QString RecentFiles::kSection = QStringLiteral("ZuletztGeoeffnet");

namespace {

QString keyOf(int index) {
    return QStringLiteral("Datei%1").arg(index + 1);
}

QString decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

/// A line of the file with where it starts and ends (its line end included).
struct RawLine {
    qsizetype start = 0;
    qsizetype end = 0;
    QString text; ///< without the line end
};

QList<RawLine> rawLines(const QByteArray& bytes) {
    QList<RawLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        QByteArray line = bytes.mid(start, end - start);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        lines.append({start, end, decode(line)});
        start = end;
    }
    return lines;
}

bool isSection(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('['));
}

bool isOurSection(const QString& line) {
    const QString trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return isSection(line) && close > 0 &&
           trimmed.mid(1, close - 1).trimmed().compare(RecentFiles::kSection,
                                                       Qt::CaseInsensitive) == 0;
}

} // namespace

RecentFiles::RecentFiles(SongFiles& files, IniFile& config, QObject* parent)
    : QObject(parent), m_songFiles(files), m_config(config) {
    m_files = readSection(config.bytes());

    // Songs opened or imported from the menus join the list too.
    const auto opened = [this](const QString& fileName) {
        if (!m_opening)
            add(fileName);
    };
    connect(&files.songFiles, &SongFileActions::opened, this, opened);
    connect(&files.bmmImport, &BmmImporter::opened, this, opened);
    connect(&files.midiFiles, &MidiFileActions::opened, this, opened);
    connect(&files.beepFormats, &BeepFormatActions::opened, this, opened);
    // A song saved is a song the user will want to open again.
    connect(&files.songFiles, &SongFileActions::saved, this, [this, &files] {
        if (!files.songFiles.songFile().isEmpty())
            add(files.songFiles.songFile());
    });
}

void RecentFiles::openSong(const QString& fileName) {
    m_opening = true;
    const auto done = qScopeGuard([this] { m_opening = false; });
    try {
        if (!m_songFiles.open(fileName))
            return; // the changed song stays
    } catch (const EInOutError& e) {
        // A file that is gone leaves the list; the error is shown all the same.
        if (e.code() == 2 && m_files.removeAll(QFileInfo(fileName).absoluteFilePath()) > 0) {
            store();
            emit changed();
        }
        throw;
    }
    add(fileName);
}

void RecentFiles::add(const QString& fileName) {
    const QString path = QFileInfo(fileName).absoluteFilePath();
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kMaxFiles)
        m_files.removeLast();
    store();
    emit changed();
}

void RecentFiles::clear() {
    m_files.clear();
    store();
    emit changed();
}

void RecentFiles::store() {
    // Only a settings file of the program's own is rewritten, as the settings are (the copy
    // keeps a file too large or unreadable as it is).
    try {
        m_config.setBytes(withSection(m_config.bytes(), m_files));
        m_config.save();
    } catch (const AppError&) {
        // The list is a convenience: it stays in this session when the file cannot take it,
        // and the settings' own write at the end reports the file.
    }
}

QStringList RecentFiles::readSection(const QByteArray& ini) {
    QStringList files(kMaxFiles);
    bool inside = false;
    for (const RawLine& line : rawLines(ini)) {
        if (isSection(line.text)) {
            if (inside)
                break; // the first section of the name counts
            inside = isOurSection(line.text);
            continue;
        }
        const qsizetype equals = line.text.indexOf(QLatin1Char('='));
        if (!inside || equals < 0)
            continue;
        const QString key = line.text.left(equals).trimmed();
        for (int i = 0; i < kMaxFiles; ++i)
            if (key.compare(keyOf(i), Qt::CaseInsensitive) == 0)
                files[i] = line.text.mid(equals + 1).trimmed();
    }
    files.removeAll(QString());
    return files;
}

QByteArray RecentFiles::withSection(const QByteArray& ini, const QStringList& files) {
    const QByteArray lineEnd = ini.contains("\r\n") || ini.isEmpty() ? "\r\n" : "\n";
    QByteArray section = "[" + kSection.toUtf8() + "]" + lineEnd;
    for (int i = 0; i < std::min<int>(int(files.size()), kMaxFiles); ++i) {
        QString file = files[i];
        file.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        section += (keyOf(i) + QLatin1Char('=') + file).toUtf8() + lineEnd;
    }

    const QList<RawLine> lines = rawLines(ini);
    qsizetype start = -1, end = -1;
    for (const RawLine& line : lines) {
        if (start < 0) {
            if (isOurSection(line.text))
                start = line.start;
        } else if (isSection(line.text)) {
            break;
        } else if (!line.text.trimmed().isEmpty()) {
            end = line.end; // blank lines after the section belong to the gap before the next
        }
    }
    if (start >= 0) {
        // The header line itself ends where the section's first line begins.
        for (const RawLine& line : lines)
            if (line.start == start)
                end = std::max(end, line.end);
        QByteArray result = ini;
        result.replace(start, end - start, section);
        return result;
    }
    QByteArray result = ini;
    if (!result.isEmpty() && !result.endsWith('\n'))
        result += lineEnd;
    return result + section;
}

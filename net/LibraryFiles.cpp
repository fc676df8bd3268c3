#include "net/LibraryFiles.h"

#include <QStringDecoder>

namespace LibraryFiles {

bool isSafeSongName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    return true;
}

QString songFileName(const QString& name) {
    return name + kSongExtension;
}

QList<QByteArray> listEntries(const QByteArray& bytes) {
    QList<QByteArray> entries;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        entries.append(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        entries.append(bytes.mid(start));
    return entries;
}

QString entryName(const QByteArray& entry) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(entry);
    return utf8.hasError() ? QString::fromLatin1(entry) : text;
}

QByteArray joinEntries(const QList<QByteArray>& entries) {
    QByteArray bytes;
    for (const QByteArray& entry : entries)
        bytes += entry + "\r\n";
    return bytes;
}

QStringList parseList(const QByteArray& bytes) {
    QStringList names;
    for (const QByteArray& entry : listEntries(bytes))
        names.append(entryName(entry));
    return names;
}

QByteArray formatList(const QStringList& names) {
    QByteArray bytes;
    for (const QString& name : names)
        bytes += name.toUtf8() + "\r\n";
    return bytes;
}

} // namespace LibraryFiles

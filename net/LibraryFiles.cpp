#include "net/LibraryFiles.h"

#include <QStringDecoder>

namespace LibraryFiles {

bool isSafeSongName(const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QStringLiteral("..")))
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

QStringList parseList(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList names = text.split(QLatin1Char('\n'));
    if (!names.isEmpty() && names.last().isEmpty())
        names.removeLast();
    return names;
}

QByteArray formatList(const QStringList& names) {
    QByteArray bytes;
    for (const QString& name : names)
        bytes += name.toUtf8() + "\r\n";
    return bytes;
}

} // namespace LibraryFiles

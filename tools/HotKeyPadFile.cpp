#include "tools/HotKeyPadFile.h"

#include "files/FileAccess.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace HotKeyPadFile {

namespace {

/// Eight values take a few bytes; a larger file is not a pad file, and only its start is read
/// so that choosing a wrong file cannot flood the pad.
constexpr qint64 kMaxBytes = 64 * 1024;

QString decode(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

} // namespace

QStringList normalised(const QStringList& lines) {
    QStringList eight = lines.mid(0, kLines);
    while (eight.size() < kLines)
        eight.append(QString());
    return eight;
}

QStringList parse(QByteArrayView bytes) {
    QString text = decode(bytes);
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    // The end of the last line is no further line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return normalised(lines);
}

QByteArray encode(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : normalised(lines))
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QStringList read(const QString& fileName) {
    return parse(FileAccess::readStart(fileName, kMaxBytes));
}

void write(const QString& fileName, const QStringList& lines) {
    FileAccess::saveAll(fileName, encode(lines));
}

} // namespace HotKeyPadFile

#include "tools/HotKeyPadFile.h"

#include "base/FileAccess.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace HotKeyPadFile {

namespace {

/// The largest file the pad writes: eight values of up to 32,767 characters (the edits'
/// limit), at most three bytes each in UTF-8. A larger file is not a pad file, and only its
/// start is read so that choosing a wrong file cannot flood the pad.
constexpr qint64 kMaxBytes = 1024 * 1024;

/// Marks a file as UTF-8 when it begins it; no part of the first value.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr QChar kZeroWidthNoBreakSpace(0xFEFF);

QString decode(QByteArrayView bytes) {
    if (bytes.startsWith(kByteOrderMark))
        bytes = bytes.sliced(3);
    // The mark is gone; a U+FEFF now at the start is the first value's own character.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
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
    // A first value that begins with U+FEFF would be written as a byte order mark and lost
    // when read; a mark in front keeps it. Every other file stays without one.
    if (lines.value(0).startsWith(kZeroWidthNoBreakSpace))
        bytes = kByteOrderMark;
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

#include "tools/HotKeyPadFile.h"

#include "base/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>

namespace HotKeyPadFile {

namespace {

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kDiskFull = 39;
/// Eight values take a few bytes; a larger file is not a pad file, and only its start is read
/// so that choosing a wrong file cannot flood the pad.
constexpr qint64 kMaxBytes = 64 * 1024;

/// The file system's error code for a failed open or write of `fileName`.
int errorCode(const QString& fileName, bool writing, int systemError) {
    if (fileName.isEmpty())
        return kPathNotFound;
    const QFileInfo info(fileName);
    if (info.isDir())
        return kAccessDenied;
    if (writing && !info.absoluteDir().exists())
        return kPathNotFound;
    switch (systemError) {
    case ENOENT:
        return writing ? kPathNotFound : kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kAccessDenied;
    case ENOSPC:
        return kDiskFull;
    default:
        break;
    }
    if (!writing && !info.exists())
        return kFileNotFound;
    return systemError > 0 ? systemError : kAccessDenied;
}

QString decode(const QByteArray& bytes) {
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

QStringList read(const QString& fileName) {
    QFile file(fileName);
    errno = 0;
    if (fileName.isEmpty() || QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly))
        throw EInOutError(errorCode(fileName, false, errno));
    errno = 0;
    const QByteArray bytes = file.read(kMaxBytes);
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(errorCode(fileName, false, errno));
    QString text = decode(bytes);
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    // The end of the last line is no further line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return normalised(lines);
}

void write(const QString& fileName, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : normalised(lines))
        bytes += line.toUtf8() + "\r\n";
    QSaveFile file(fileName);
    errno = 0;
    if (fileName.isEmpty() || QFileInfo(fileName).isDir() || !file.open(QIODevice::WriteOnly))
        throw EInOutError(errorCode(fileName, true, errno));
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(errorCode(fileName, true, errno));
}

} // namespace HotKeyPadFile

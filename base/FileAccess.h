#pragma once

#include <QByteArray>
#include <QString>

/// Whole-file reads and writes with the program's file errors ("Datei nicht gefunden",
/// "Ungültiger Dateiname", "Dateizugriff verweigert", "Zu wenig Speicherplatz",
/// "E/A-Fehler %d"), raised as EInOutError.
namespace FileAccess {

/// Files larger than this are refused unless the reader gives its own limit: a `.bmm` import
/// keeps every text line of the file in memory at about 70 bytes per line.
constexpr qint64 kMaxReadSize = 16LL * 1024 * 1024;

/// What the user reads for a file larger than `maxBytes`: "Datei zu groß (mehr als 16 MB)".
QString tooLargeText(qint64 maxBytes);

/// The error code for a system error number: 2 not found, 3 bad name or path, 5 access
/// denied, 8 out of memory, 39 disk full, 1117 device error (an input/output failure); any
/// other number is kept unless it equals one of these codes (then it is a device error).
int codeForErrno(int error);

/// The whole contents of a regular file; a file larger than `maxBytes` is refused with
/// `tooLargeText`.
QByteArray readAll(const QString& fileName, qint64 maxBytes = kMaxReadSize);

/// The first `maxBytes` bytes of a regular file (all of a shorter one).
QByteArray readStart(const QString& fileName, qint64 maxBytes);

/// Writes the whole file through SafeFile: a failed save leaves an earlier file of that name
/// untouched; a name that holds anything but a regular file is refused as "Dateizugriff
/// verweigert", a symbolic link to a regular file writes the link's target and keeps the link.
void saveAll(const QString& fileName, const QByteArray& bytes);

/// True when both names lead to one existing file (after following links, hard links too).
bool sameFile(const QString& a, const QString& b);

} // namespace FileAccess

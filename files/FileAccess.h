#pragma once

#include <QByteArray>
#include <QString>

/// Whole-file reads and writes with the program's file errors ("Datei nicht gefunden",
/// "Ungültiger Dateiname", "Dateizugriff verweigert", "Zu wenig Speicherplatz",
/// "E/A-Fehler %d"), raised as EInOutError.
namespace FileAccess {

/// Files larger than this are refused as "Zu wenig Speicherplatz": 16 MB are about a million
/// song lines (days of music), and the song lists need about 1 KB of memory per line.
constexpr qint64 kMaxReadSize = 16LL * 1024 * 1024;

/// The error code for a system error number: 2 not found, 3 bad name or path, 5 access
/// denied, 8 out of memory, 39 disk full, 1117 device error (an input/output failure); any
/// other number is kept unless it equals one of these codes (then it is a device error).
int codeForErrno(int error);

/// The whole contents of a regular file.
QByteArray readAll(const QString& fileName);

/// The first `maxBytes` bytes of a regular file (all of a shorter one).
QByteArray readStart(const QString& fileName, qint64 maxBytes);

/// Writes the bytes to a temporary file beside the target and renames it into place, so a
/// failed save leaves an earlier file of that name untouched. A name that holds anything but a
/// regular file (a folder, a named pipe, a device node) is refused as "Dateizugriff verweigert";
/// a symbolic link to a regular file writes the link's target and keeps the link.
void saveAll(const QString& fileName, const QByteArray& bytes);

} // namespace FileAccess

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

/// The `.hkp` file of the HotKeyPad: eight text lines, the four frequencies and then the four
/// durations of its slots, stored as typed.
namespace HotKeyPadFile {

constexpr int kLines = 8;

/// Reads the file's first eight lines (CR, LF or CR LF end a line); missing lines are empty.
/// UTF-8 text is read as such, anything else as Latin-1; a UTF-8 byte order mark at the start
/// is skipped. Only the first MiB is read. A file that cannot be read raises EInOutError.
QStringList read(const QString& fileName);

/// Writes exactly eight lines (missing ones empty, more ignored), each ended by CR LF, as
/// UTF-8; a byte order mark comes first only when the first line begins with U+FEFF. The file is
/// replaced only once it is completely written, so a failed save leaves an earlier file as it was;
/// a failure raises EInOutError.
void write(const QString& fileName, const QStringList& lines);

/// The eight lines that a file's bytes give (see read).
QStringList parse(QByteArrayView bytes);

/// The bytes of a file of these lines (see write).
QByteArray encode(const QStringList& lines);

/// The file's lines as exactly eight lines.
QStringList normalised(const QStringList& lines);

} // namespace HotKeyPadFile

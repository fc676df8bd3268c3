#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

/// The files of the online song library: song names, which become local file names and FTP
/// arguments, and the list file "list.vrq".
namespace LibraryFiles {

/// The library's folder on the server.
inline const QString kFolder = QStringLiteral("/zwk/");
/// The list of the library's songs, on the server and in the working directory.
inline const QString kListFile = QStringLiteral("list.vrq");
inline const QString kSongExtension = QStringLiteral(".zwk");

/// Shown when a song name cannot be used.
inline const QString kUnsafeName =
    QStringLiteral("Ungültiger Songname. Ein Songname darf nicht leer sein und weder \"/\", "
                   "\"\\\", \"..\" noch Steuerzeichen (etwa Zeilenumbrüche) enthalten.");

/// True when @p name can become a file name in the working directory and an FTP argument: it
/// is not empty and holds no "/", "\", ".." and no control character (a CR or LF would end the
/// FTP command early and start another).
bool isSafeSongName(const QString& name);

/// The song's file name: name + ".zwk".
QString songFileName(const QString& name);

/// The names of a list file: one per line; a line ends at CR LF, LF or CR, and a final line
/// end adds no name. UTF-8 text; a file that is not valid UTF-8 is read as Latin-1.
QStringList parseList(const QByteArray& bytes);
/// The list file for @p names: each name followed by CR LF, in UTF-8.
QByteArray formatList(const QStringList& names);

} // namespace LibraryFiles

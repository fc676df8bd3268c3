#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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
    QStringLiteral("Ungültiger Songname. Ein Songname darf weder leer, \".\" oder \"..\" sein "
                   "noch \"/\", \"\\\" oder Steuerzeichen (etwa Zeilenumbrüche) enthalten.");

/// True when @p name can become a file name in the working directory and an FTP argument: it
/// is not empty, not "." or "..", and holds no "/", "\" and no control character (a CR or LF
/// would end the FTP command early and start another). Dots elsewhere are harmless: ".zwk" is
/// appended and no separator can follow them.
bool isSafeSongName(const QString& name);

/// The song's file name: name + ".zwk".
QString songFileName(const QString& name);

/// The entries of a list file, each with the bytes it has in the file: one per line; a line
/// ends at CR LF, LF or CR, and a final line end adds no entry.
QList<QByteArray> listEntries(const QByteArray& bytes);
/// The name an entry shows: its UTF-8 text, or Latin-1 where its bytes are not valid UTF-8.
QString entryName(const QByteArray& entry);
/// The list file for @p entries: each entry's bytes followed by CR LF.
QByteArray joinEntries(const QList<QByteArray>& entries);

/// The names of a list file (entryName of each entry).
QStringList parseList(const QByteArray& bytes);
/// The list file for @p names: each name in UTF-8 followed by CR LF.
QByteArray formatList(const QStringList& names);

} // namespace LibraryFiles

#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

class FtpClient;
class ListItems;
class Song;

/// The online song library's connection: the one FTP connection `IdFTP1`, the names of the
/// online list, and the steps that fetch the list, download a song and upload one.
///
/// The library folder on the server holds "list.vrq" and the songs; downloaded and uploaded
/// files are kept in the working directory under the song's name.
class LibraryConnection final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LibraryConnection)

public:
    explicit LibraryConnection(QObject* parent = nullptr);
    ~LibraryConnection() override;

    FtpClient* const IdFTP1;
    /// The names of the online list, in the order of "list.vrq" (the window shows them).
    ListItems* const names;
    /// Receives the lines of the song being uploaded. Never shown, so it is a plain list of
    /// lines: a text control would lay out 100,000 lines for nothing.
    QStringList Memo5;

    /// Connects, changes to the library folder and fetches the list. Raises an error when any
    /// step fails.
    void connectAndFetchList(const QString& host, const QString& user, const QString& password);
    /// Fetches "list.vrq" into the working directory and takes its names.
    void fetchList();
    /// Downloads the list's entry `index` into the working directory and gives the file to
    /// open: a failed download is reported and the local copy, if any, opens instead. Nothing
    /// when the user keeps a local file with other contents, or when the name could not be a
    /// file name here (LibraryFiles::isSafeSongName; said with LibraryFiles::kUnsafeName).
    std::optional<QString> download(int index);
    /// Saves the song under `name` and stores it on the server, then the list with the name
    /// added; only then the name joins the list here and in the local "list.vrq". A name the
    /// list already holds, or one that could not be a file name, is refused with a message
    /// (nothing is sent). Raises an error when a transfer fails; a song that did not arrive
    /// whole is deleted on the server where it allows, and the server's list stays as it was.
    void upload(const QString& name, const Song& song);
    /// QUIT to the server and the connection closed.
    void quit();

    /// "Die Datei … im Arbeitsordner hat einen anderen Inhalt …": a library song is about to
    /// replace a local file of its name.
    static QString localCopyQuestion(const QString& fileName);
    /// True when @p bytes may be written as @p fileName: no such file, the same contents, or
    /// the user agrees to replace it. Never throws.
    static bool mayReplaceLocalCopy(const QString& fileName, const QByteArray& bytes);

private:
    /// Says so and returns true when @p name could not be a song's file name.
    static bool refuseUnsafe(const QString& name);
    /// The bytes of the list's entry `index` as "list.vrq" holds them.
    QByteArray entryBytes(int index) const;
    void syncEntries();

    /// The names' entries with the bytes they have in "list.vrq": a name that is not UTF-8 is
    /// requested and written back exactly as the list holds it.
    QList<QByteArray> m_entries;
};

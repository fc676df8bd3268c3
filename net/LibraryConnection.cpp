#include "net/LibraryConnection.h"

#include "base/ListItems.h"
#include "base/Prompts.h"
#include "base/FileAccess.h"
#include "files/SongFormat.h"
#include "net/FtpClient.h"
#include "net/LibraryFiles.h"
#include "song/Song.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kError = QStringLiteral("Fehler");
const QString kDownloadFailed =
    QStringLiteral("Server ausgelastet oder nicht erreichbar, versuchen sie es erneut");
const QString kDuplicate = QStringLiteral("Song bereits vorhanden");

} // namespace

QString LibraryConnection::localCopyQuestion(const QString& fileName) {
    return QStringLiteral("Die Datei \"%1\" im Arbeitsordner hat einen anderen Inhalt als der "
                          "Song der Online-Bibliothek.\nSoll sie ersetzt werden?")
        .arg(QFileInfo(fileName).fileName());
}

bool LibraryConnection::mayReplaceLocalCopy(const QString& fileName, const QByteArray& bytes) {
    QFile local(fileName);
    if (!local.exists())
        return true;
    // The same song again replaces nothing the user could miss.
    if (local.size() == bytes.size() && local.open(QIODevice::ReadOnly) &&
        local.readAll() == bytes)
        return true;
    return prompts().messageBox(localCopyQuestion(fileName), QStringLiteral("Z1rpW3rk"),
                                Prompts::Icon::Warning,
                                Prompts::Buttons::YesNo) == Prompts::Answer::Yes;
}

LibraryConnection::LibraryConnection(QObject* parent)
    : QObject(parent), IdFTP1(new FtpClient(this)), names(new ListItems(ListItems::Content::Texts, this)) {
    IdFTP1->setObjectName(QStringLiteral("IdFTP1"));
}

LibraryConnection::~LibraryConnection() = default;

void LibraryConnection::connectAndFetchList(const QString& host, const QString& user,
                                            const QString& password) {
    IdFTP1->connectToHost(host, user, password);
    IdFTP1->changeDirectory(LibraryFiles::kFolder);
    fetchList();
}

void LibraryConnection::fetchList() {
    const QByteArray bytes =
        IdFTP1->retrieve(LibraryFiles::kListFile.toUtf8(), FileAccess::kMaxReadSize);
    FileAccess::saveAll(LibraryFiles::kListFile, bytes);
    m_entries = LibraryFiles::listEntries(FileAccess::readAll(LibraryFiles::kListFile));
    QStringList entryNames;
    entryNames.reserve(m_entries.size());
    for (const QByteArray& entry : std::as_const(m_entries))
        entryNames.append(LibraryFiles::entryName(entry));
    names->clearItems();
    names->addAll(entryNames);
}

bool LibraryConnection::refuseUnsafe(const QString& name) {
    // The name becomes a local file name and an FTP argument: nothing happens with one that
    // could reach outside the working directory or smuggle in a command.
    if (LibraryFiles::isSafeSongName(name))
        return false;
    prompts().messageBox(LibraryFiles::kUnsafeName, kError, Prompts::Icon::Error);
    return true;
}

std::optional<QString> LibraryConnection::download(int index) {
    if (refuseUnsafe(names->item(index)))
        return std::nullopt;
    const QString fileName = LibraryFiles::songFileName(names->item(index));
    try {
        // Written only when complete: a failed download keeps an earlier copy whole. A local
        // file of that name with other contents is replaced only when the user agrees.
        const QByteArray song =
            IdFTP1->retrieve(entryBytes(index) + ".zwk", SongFormat::kMaxFileSize);
        if (!mayReplaceLocalCopy(fileName, song))
            return std::nullopt;
        FileAccess::saveAll(fileName, song);
    } catch (const std::exception&) {
        prompts().messageBox(kDownloadFailed, kError, Prompts::Icon::Information);
    }
    return fileName;
}

void LibraryConnection::upload(const QString& name, const Song& song) {
    if (refuseUnsafe(name))
        return;
    Memo5.clear();
    SongTracks tracks;
    for (int i = 0; i < song.Memo1->count(); ++i) {
        const QStringList line{song.Memo1->item(i), song.Memo2->item(i), song.Memo3->item(i),
                               song.Memo4->item(i)};
        tracks.freq1 << line[0];
        tracks.dur1 << line[1];
        tracks.freq2 << line[2];
        tracks.dur2 << line[3];
        Memo5 << line.join(QLatin1Char('|'));
    }
    // The same bytes as "Speichern" writes.
    const QByteArray songBytes = SongFormat::write(tracks);
    const QString fileName = LibraryFiles::songFileName(name);
    FileAccess::saveAll(fileName, songBytes);

    if (names->items().contains(name)) {
        prompts().messageBox(kDuplicate, kError, Prompts::Icon::Error);
        return;
    }
    syncEntries();
    // The other entries go back with the bytes they came with.
    QList<QByteArray> entries = m_entries;
    entries.append(name.toUtf8());
    const QByteArray list = LibraryFiles::joinEntries(entries);
    // The song first: the list never names a song the server does not hold whole.
    try {
        IdFTP1->store(fileName, songBytes);
    } catch (const std::exception&) {
        // Part of the song may have arrived (a full disk, a broken transfer): it goes again
        // where the server lets it. The name was not in the list, so nobody's song is lost.
        try {
            if (IdFTP1->isConnected())
                IdFTP1->remove(fileName);
        } catch (const std::exception&) {
        }
        throw;
    }
    IdFTP1->store(LibraryFiles::kListFile, list);
    // Only a list the server holds becomes the local one.
    m_entries = entries;
    names->add(name);
    FileAccess::saveAll(LibraryFiles::kListFile, list);
}

void LibraryConnection::quit() {
    IdFTP1->quit();
}

QByteArray LibraryConnection::entryBytes(int index) const {
    if (index < m_entries.size() && LibraryFiles::entryName(m_entries[index]) == names->item(index))
        return m_entries[index];
    return names->item(index).toUtf8();
}

void LibraryConnection::syncEntries() {
    // The list is only filled from "list.vrq" and by uploads; should it ever differ, its text
    // wins.
    QList<QByteArray> entries;
    const int count = names->count();
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append(entryBytes(i));
    m_entries = entries;
}

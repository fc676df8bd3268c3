#include "files/SongFileActions.h"

#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/FileAccess.h"
#include "files/SongFormat.h"
#include "song/Song.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

const QString kFilter = QStringLiteral("Z1rpW3rk-Tracks (.zwk)|*.ZWK");
const QString kDefaultExt = QStringLiteral(".zwk");

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo first(a), second(b);
    const QString canonical = first.canonicalFilePath();
    return canonical.isEmpty() ? first.absoluteFilePath() == second.absoluteFilePath()
                               : canonical == second.canonicalFilePath();
}

/// A file error names the file it met: "Datei nicht gefunden: lied.zwk".
QString namingFile(const QString& message, const QString& fileName) {
    const QString shown = QDir::toNativeSeparators(fileName);
    return shown.isEmpty() || message.contains(shown) ? message
                                                      : message + QStringLiteral(": ") + shown;
}

} // namespace

SongFileActions::SongFileActions(Song& song, SongFileView& view, ProgressSink& progress)
    : m_song(song), m_view(view), m_progress(progress) {}

Prompts::FileDialog SongFileActions::OpenDialog1() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Z1rpW3rk - Soundtrack laden");
    dialog.filter = kFilter;
    dialog.defaultExt = kDefaultExt;
    dialog.mustExist = false;
    return dialog;
}

Prompts::FileDialog SongFileActions::SaveDialog1() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Z1rpW3rk - Soundtrack speichern");
    dialog.filter = kFilter;
    dialog.defaultExt = kDefaultExt;
    dialog.confirmOverwrite = false;
    return dialog;
}

void SongFileActions::forgetFile() {
    m_songFile.clear();
    m_proposedName.clear();
}

void SongFileActions::newSong() {
    m_song.clear();
    forgetFile();
}

void SongFileActions::renumberLines() {
    m_song.renumberLines(m_progress);
}

void SongFileActions::importedFrom(const QString& fileName) {
    const QFileInfo file(fileName);
    m_songFile.clear();
    m_proposedName = file.dir().filePath(file.completeBaseName() + kDefaultExt);
}

QString SongFileActions::tooManyLinesText(qsizetype lines) {
    return QStringLiteral("Die Datei ergibt %1 Zeilen, mehr als die %2, die eine Lieddatei "
                          "fasst, und wurde nicht importiert.")
        .arg(QLocale(QLocale::German).toString(qlonglong(lines)))
        .arg(QLocale(QLocale::German).toString(qlonglong(SongFormat::kMaxLines)));
}

QString SongFileActions::notSavedText(qsizetype lines) {
    return QStringLiteral("Das Lied hat %1 Zeilen; eine Lieddatei fasst höchstens %2 Zeilen "
                          "und 256 MB. Es wurde nicht gespeichert.")
        .arg(QLocale(QLocale::German).toString(qlonglong(lines)))
        .arg(QLocale(QLocale::German).toString(qlonglong(SongFormat::kMaxLines)));
}

QByteArray SongFileActions::fileBytes() const {
    const Song& f = m_song;
    const qsizetype n = f.Memo1->count();
    if (f.Memo2->count() != n || f.Memo3->count() != n || f.Memo4->count() != n)
        throw AppError(QStringLiteral("Fehler im Track"));
    if (n > SongFormat::kMaxLines)
        throw AppError(notSavedText(n));
    // A file the loader would refuse is never written: the song would be lost with it.
    QByteArray bytes = SongFormat::write(
        {f.Memo1->texts(), f.Memo2->texts(), f.Memo3->texts(), f.Memo4->texts()});
    if (bytes.size() > SongFormat::kMaxFileSize)
        throw AppError(notSavedText(n));
    return bytes;
}

bool SongFileActions::replaceByImport(const QString& fileName, const QStringList& frequencies1,
                                      const QStringList& frequencies2,
                                      const QStringList& durations) {
    if (frequencies1.size() > SongFormat::kMaxLines)
        throw AppError(tooManyLinesText(frequencies1.size()));
    if (!m_view.mayReplaceSong())
        return false;
    m_view.stopPlayback();
    newSong();
    importedFrom(fileName);
    m_song.Memo1->addAll(frequencies1);
    m_song.Memo2->addAll(durations);
    m_song.Memo3->addAll(frequencies2);
    m_song.Memo4->addAll(durations);
    renumberLines();
    return true;
}

void SongFileActions::Oeffnen1Click() {
    if (const auto fileName = prompts().openFile(OpenDialog1()))
        openSong(*fileName);
}

bool SongFileActions::openSong(const QString& fileName) {
    // Asked before the file is read: a "Ja" that saves over this very file must not be
    // followed by loading what it held before.
    if (!m_view.mayReplaceSong())
        return false;
    LoadSongFile(fileName);
    emit opened(fileName);
    return true;
}

void SongFileActions::Speichern1Click() {
    const Song& f = m_song;
    if (f.Memo1->count() != f.Memo2->count() || f.Memo3->count() != f.Memo4->count() ||
        f.Memo1->count() != f.Memo3->count()) {
        prompts().messageBox(QStringLiteral("Fehler im Track"), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Warning);
        return;
    }
    if (f.Memo1->count() > SongFormat::kMaxLines) {
        prompts().messageBox(notSavedText(f.Memo1->count()), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Warning);
        return;
    }
    Prompts::FileDialog dialog = SaveDialog1();
    dialog.fileName = m_proposedName;
    std::optional<QString> fileName;
    // The song's own file is written without a question; another file that exists only
    // when the user agrees, else the dialog comes back with that name.
    for (;;) {
        fileName = prompts().saveFile(dialog);
        if (!fileName)
            return;
        if (sameFile(*fileName, m_songFile) || mayReplaceFile(*fileName))
            break;
        dialog.fileName = *fileName;
    }
    FileAccess::saveAll(*fileName, fileBytes());
    m_songFile = *fileName;
    m_proposedName = *fileName;
    emit saved();
    emit wrote(*fileName);
}

void SongFileActions::LoadSongFile(const QString& fileName) {
    Song& f = m_song;
    // A running tone playback stops stepping; the rest of its state stays as it is.
    m_view.stopPlayback();
    // The file is read whole before the song is touched: one that cannot be read keeps it.
    SongFormat::ReadResult result;
    try {
        result = SongFormat::read(FileAccess::readAll(fileName, SongFormat::kMaxFileSize));
    } catch (const EInOutError& e) {
        throw EInOutError(e.code(), namingFile(e.message(), fileName));
    } catch (const AppError& e) {
        throw AppError(namingFile(e.message(), fileName));
    }
    for (ListItems* list : {f.Memo1, f.Memo2, f.Memo3, f.Memo4})
        list->clearItems();
    // All lines at once: the lists hold exactly what line-by-line appending would leave.
    f.Memo1->addAll(result.song.freq1);
    f.Memo2->addAll(result.song.dur1);
    f.Memo3->addAll(result.song.freq2);
    f.Memo4->addAll(result.song.dur2);
    renumberLines();
    if (result.shortLineFields) {
        // Only part of the file is in the song: saving must not replace the file unasked.
        m_songFile.clear();
        m_proposedName = fileName;
        throw EListError(*result.shortLineFields);
    }
    m_songFile = fileName;
    m_proposedName = fileName;
    emit loaded();
}

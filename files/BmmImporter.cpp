#include "files/BmmImporter.h"

#include "base/Errors.h"
#include "base/ListItems.h"
#include "base/ResponsiveLoop.h"
#include "base/StrToInt.h"
#include "base/FileAccess.h"
#include "files/SongFileActions.h"
#include "files/SongFormat.h"
#include "settings/Settings.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QFileInfo>
#include <QHash>

namespace {

const QString kProgressText = QStringLiteral("Analysiere BMM");
/// How often the window gets to process its events during a long import.

} // namespace

BmmImporter::BmmImporter(SongFileActions& songFiles, const Settings& settings)
    : bmm(new ListItems(ListItems::Content::Texts, this)), m_songFiles(songFiles),
      m_settings(settings) {
    bmm->setObjectName(QStringLiteral("bmm"));
}

Prompts::FileDialog BmmImporter::OpenDialog2() {
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Bleeper Music Maker - Soundtrack laden");
    dialog.filter = QStringLiteral("Bleeper Music Maker-Tracks (.bmm)|*.bmm");
    dialog.defaultExt = QStringLiteral(".bmm");
    return dialog;
}

QString BmmImporter::noTempoMessage() {
    return QStringLiteral("Die Datei enthält keine Tempoangabe (keine Zeile beginnt mit \"BP\") "
                          "und wurde nicht importiert.");
}

void BmmImporter::BleeperMusicMakerbmm1Click() {
    // The import lets the window process events; a second import meanwhile would interleave.
    if (m_running)
        return;
    const auto fileName = prompts().openFile(OpenDialog2());
    if (!fileName)
        return;
    m_running = true;
    try {
        import(*fileName);
    } catch (...) {
        m_running = false;
        throw;
    }
    m_running = false;
}

void BmmImporter::import(const QString& fileName) {
    // Read and check the file before the song is replaced: an unreadable file or one without
    // a tempo leaves the song as it was.
    const QStringList lines = BmmFormat::splitLines(FileAccess::readAll(fileName));
    const std::optional<int> tempoLine = BmmFormat::tempoLine(lines);
    if (!tempoLine) {
        prompts().messageBox(noTempoMessage(), QStringLiteral("Z1rpW3rk"), Prompts::Icon::Warning);
        return;
    }

    if (const qsizetype count = BmmFormat::noteLineCount(lines); count > SongFormat::kMaxLines)
        throw AppError(SongFileActions::tooManyLinesText(count));

    if (!m_songFiles.mayReplaceSong())
        return;
    m_songFiles.newSong();
    m_songFiles.importedFrom(fileName);
    bmm->clearItems();
    bmm->addAll(lines);
    const int tempo = StrToInt(BmmFormat::tempoText(lines.at(*tempoLine)));

    // The table does not change during the import, and a song repeats the same few note
    // names; each distinct three-character window is looked up once.
    const NoteTable& notes = NoteTable::stored();
    QHash<QString, QString> known;
    BmmFormat::NoteReader reader(tempo, [&notes, &known](const QString& name) {
        auto found = known.constFind(name);
        if (found == known.constEnd())
            found = known.insert(name, NoteNameToFrequency(notes, name));
        return *found;
    });
    Song& target = m_songFiles.song();
    ProgressSink& progress = m_songFiles.progress();
    SongTracks song;
    const auto flush = [&] {
        target.Memo1->addAll(song.freq1);
        target.Memo2->addAll(song.dur1);
        target.Memo3->addAll(song.freq2);
        target.Memo4->addAll(song.dur2);
    };
    const int n = int(lines.size());
    ResponsiveLoop responsive;
    try {
        for (int i = 0; i < n; ++i) {
            progress.ShowProgress(i, n, kProgressText);
            responsive.step();
            if (const auto row = reader.read(lines.at(i))) {
                song.freq1.append(row->freq1);
                song.dur1.append(row->duration);
                song.freq2.append(row->freq2);
                song.dur2.append(row->duration);
            }
        }
    } catch (...) {
        // What was read before the failure stays, as line-by-line appending would leave it.
        flush();
        throw;
    }
    flush();
    m_songFiles.renumberLines();
    // A song of fewer than two lines reports no renumbering progress; the import's own
    // progress must not stay behind.
    progress.ShowProgress(n, n, kProgressText);
    emit opened(fileName);

    if (!m_settings.bmmInfoHidden) {
        const QString text = QStringLiteral("Songpath: ") + QFileInfo(fileName).absoluteFilePath() +
                             QLatin1Char('\r') + QStringLiteral("BPM Value: ") +
                             QString::number(tempo) + QLatin1Char('\r') +
                             QStringLiteral("BMM Revision: ") + lines.value(1);
        prompts().messageBox(text, QStringLiteral("Z1rpW3rk"), Prompts::Icon::Information);
    }
}

#include "files/SongFileActions.h"

#include "audio/PlaybackEngine.h"
#include "base/Errors.h"
#include "base/Guard.h"
#include "base/ListBox.h"
#include "files/FileAccess.h"
#include "files/SongFormat.h"
#include "song/MainWindow.h"

#include <QAction>

namespace {

const QString kFilter = QStringLiteral("Z1rpW3rk-Tracks (.zwk)|*.ZWK");
const QString kDefaultExt = QStringLiteral(".zwk");

} // namespace

SongFileActions::SongFileActions(TForm1& form) : m_form(form) {
    connectGuarded(form.Oeffnen1, &QAction::triggered, this, [this] { Oeffnen1Click(); });
    connectGuarded(form.Speichern1, &QAction::triggered, this, [this] { Speichern1Click(); });
}

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

void SongFileActions::Oeffnen1Click() {
    if (const auto fileName = prompts().openFile(OpenDialog1())) {
        LoadSongFile(*fileName);
        emit opened(*fileName);
    }
}

void SongFileActions::Speichern1Click() {
    TForm1& f = m_form;
    if (f.Memo1->count() != f.Memo2->count() || f.Memo3->count() != f.Memo4->count() ||
        f.Memo1->count() != f.Memo3->count()) {
        prompts().messageBox(QStringLiteral("Fehler im Track"), QStringLiteral("Z1rpW3rk"),
                             Prompts::Icon::Warning);
        return;
    }
    const auto fileName = prompts().saveFile(SaveDialog1());
    if (!fileName)
        return;
    const SongTracks song{f.Memo1->items(), f.Memo2->items(), f.Memo3->items(), f.Memo4->items()};
    FileAccess::saveAll(*fileName, SongFormat::write(song));
    emit saved();
}

void SongFileActions::LoadSongFile(const QString& fileName) {
    TForm1& f = m_form;
    // A running tone playback stops stepping; the rest of its state stays as it is.
    f.playback->stopToneTimer();
    for (ListBox* list : {f.Memo1, f.Memo2, f.Memo3, f.Memo4})
        list->clearItems();

    SongFormat::ReadResult result;
    try {
        result = SongFormat::read(FileAccess::readAll(fileName, SongFormat::kMaxFileSize));
    } catch (const AppError&) {
        // The song is empty now; the line numbers must not show the previous one.
        f.RenumberLines();
        throw;
    }
    // All lines at once: the lists hold exactly what line-by-line appending would leave.
    f.Memo1->addAll(result.song.freq1);
    f.Memo2->addAll(result.song.dur1);
    f.Memo3->addAll(result.song.freq2);
    f.Memo4->addAll(result.song.dur2);
    f.RenumberLines();
    if (result.shortLineFields)
        throw EListError(*result.shortLineFields);
    emit loaded();
}

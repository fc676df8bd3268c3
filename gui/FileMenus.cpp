#include "gui/FileMenus.h"

#include "audio/PlaybackEngine.h"
#include "base/Guard.h"
#include "files/RecentFiles.h"
#include "files/SongFiles.h"
#include "gui/Controls.h"
#include "gui/ListBox.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

bool WindowFileView::mayReplaceSong() {
    return m_form.mayReplaceSong();
}

void WindowFileView::stopPlayback() {
    m_form.playback->stopToneTimer();
}

FileMenus::FileMenus(TForm1& form, QMenu* exportMenu, QAction* exportMidiItem)
    : QObject(&form), m_form(form) {
    SongFileActions* songFiles = form.songFiles;
    BmmImporter* bmmImport = form.bmmImport;
    MidiFileActions* midiFiles = form.midiFiles;
    BeepFormatActions* beepFormats = form.beepFormats;

    connectGuarded(form.Oeffnen1, &QAction::triggered, songFiles,
                   [songFiles] { songFiles->Oeffnen1Click(); });
    connectGuarded(form.Speichern1, &QAction::triggered, songFiles,
                   [songFiles] { songFiles->Speichern1Click(); });

    bmm = new ListBox(form.centralWidget(), *bmmImport->bmm);
    bmm->setObjectName(QStringLiteral("bmm"));
    bmm->hide();
    connectGuarded(form.BleeperMusicMakerbmm1, &QAction::triggered, bmmImport,
                   [bmmImport] { bmmImport->BleeperMusicMakerbmm1Click(); });

    connectGuarded(form.MIDIFilemidmidi1, &QAction::triggered, midiFiles,
                   [midiFiles] { midiFiles->MIDIFilemidmidi1Click(); });
    connectGuarded(exportMidiItem, &QAction::triggered, midiFiles,
                   [midiFiles] { midiFiles->exportClick(); });

    using Kind = BeepFormatActions::Kind;
    ImportRtttl1 =
        named(new QAction(QStringLiteral("RTTTL-Klingelton (.rtttl / .txt)"), form.Import1),
              QStringLiteral("ImportRtttl1"));
    form.Import1->addAction(ImportRtttl1);
    ExportRtttl1 = named(new QAction(QStringLiteral("RTTTL-Klingelton (.rtttl)..."), exportMenu),
                         QStringLiteral("ExportRtttl1"));
    ExportSketch1 = named(new QAction(QStringLiteral("Buzzer-Sketch (.ino)..."), exportMenu),
                          QStringLiteral("ExportSketch1"));
    ExportBeep1 = named(new QAction(QStringLiteral("beep-Skript (.sh)..."), exportMenu),
                        QStringLiteral("ExportBeep1"));
    ImportGCode1 = named(new QAction(QStringLiteral("G-Code (.gcode)"), form.Import1),
                         QStringLiteral("ImportGCode1"));
    form.Import1->addAction(ImportGCode1);
    ExportGCode1 = named(new QAction(QStringLiteral("G-Code für 3D-Drucker (.gcode)..."),
                                     exportMenu),
                         QStringLiteral("ExportGCode1"));
    exportMenu->addActions({ExportRtttl1, ExportSketch1, ExportBeep1, ExportGCode1});
    connectGuarded(ImportGCode1, &QAction::triggered, beepFormats,
                   [beepFormats] { beepFormats->importGCodeClick(); });
    connectGuarded(ExportGCode1, &QAction::triggered, beepFormats,
                   [beepFormats] { beepFormats->exportClick(Kind::GCode); });
    connectGuarded(ImportRtttl1, &QAction::triggered, beepFormats,
                   [beepFormats] { beepFormats->importClick(); });
    connectGuarded(ExportRtttl1, &QAction::triggered, beepFormats,
                   [beepFormats] { beepFormats->exportClick(Kind::Rtttl); });
    connectGuarded(ExportSketch1, &QAction::triggered, beepFormats,
                   [beepFormats] { beepFormats->exportClick(Kind::Sketch); });
    connectGuarded(ExportBeep1, &QAction::triggered, beepFormats,
                   [beepFormats] { beepFormats->exportClick(Kind::BeepScript); });

    ZuletztGeoeffnet1 = new QMenu(QStringLiteral("Zuletzt geöffnet"), form.Datei1);
    ZuletztGeoeffnet1->setObjectName(QStringLiteral("ZuletztGeoeffnet1"));
    // After "Exportieren" (or "Speichern"), before the separator above "Beenden".
    const QList<QAction*> items = form.Datei1->actions();
    qsizetype after = items.indexOf(form.Speichern1);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items[i]->objectName() == QLatin1String("Exportieren1Item"))
            after = i;
    QAction* before = after >= 0 && after + 1 < items.size() ? items[after + 1] : nullptr;
    form.Datei1->insertMenu(before, ZuletztGeoeffnet1)
        ->setObjectName(QStringLiteral("ZuletztGeoeffnet1Item"));
    rebuildRecentMenu();
    connect(form.recentFiles, &RecentFiles::changed, this, [this] { rebuildRecentMenu(); });

    form.setAcceptDrops(true);
    form.installEventFilter(this);
}

void FileMenus::rebuildRecentMenu() {
    RecentFiles* recent = m_form.recentFiles;
    ZuletztGeoeffnet1->clear();
    const QStringList files = recent->files();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        QAction* item = ZuletztGeoeffnet1->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
        item->setObjectName(QStringLiteral("ZuletztDatei%1").arg(i + 1));
        item->setToolTip(QDir::toNativeSeparators(file));
        item->setStatusTip(item->toolTip());
        connectGuarded(item, &QAction::triggered, recent,
                       [recent, file] { recent->openSong(file); });
    }
    ZuletztGeoeffnet1->addSeparator();
    QAction* clear = ZuletztGeoeffnet1->addAction(QStringLiteral("Liste leeren"));
    clear->setObjectName(QStringLiteral("ListeLeeren1"));
    connectGuarded(clear, &QAction::triggered, recent, [recent] { recent->clear(); });
    ZuletztGeoeffnet1->setEnabled(!files.isEmpty());
}

bool FileMenus::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_form)
        return false;
    const auto droppedFile = [](const QMimeData* data) -> QString {
        if (!data || !data->hasUrls())
            return {};
        for (const QUrl& url : data->urls())
            if (url.isLocalFile() && SongFiles::canOpen(url.toLocalFile()))
                return url.toLocalFile();
        return {};
    };
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!droppedFile(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = droppedFile(drop->mimeData());
        if (file.isEmpty())
            return false;
        drop->acceptProposedAction();
        // Opened after the drop has ended: the source application is not kept waiting while a
        // question or a message is open.
        RecentFiles* recent = m_form.recentFiles;
        QTimer::singleShot(0, recent,
                           [recent, file] { guarded([recent, file] { recent->openSong(file); }); });
        return true;
    }
    return false;
}

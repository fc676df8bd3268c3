#pragma once

#include "base/Prompts.h"
#include "files/BmmFormat.h"

#include <QObject>

class ListItems;
class SongFileActions;
struct Settings;

/// "Extras" → "Import" → "Bleeper Music Maker (.bmm)": replaces the song by a `.bmm` song.
class BmmImporter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BmmImporter)

public:
    /// Works on the song of @p songFiles and reports to its progress display; the information
    /// after an import shows unless @p settings hide it at that moment.
    BmmImporter(SongFileActions& songFiles, const Settings& settings);

    /// The import's open dialog (`OpenDialog2`).
    static Prompts::FileDialog OpenDialog2();
    /// The text shown when a file has no tempo line.
    static QString noTempoMessage();

    void BleeperMusicMakerbmm1Click();
    /// Imports the file without asking for it (a file named on the command line). Like the
    /// menu's import it asks about unsaved changes once the file is read and checked.
    void importFile(const QString& fileName) { import(fileName); }

    /// The scratch list: the lines of the last imported file (the main window keeps a hidden
    /// view of it).
    ListItems* const bmm;

signals:
    /// A file was imported completely.
    void opened(const QString& fileName);

private:
    void import(const QString& fileName);

    SongFileActions& m_songFiles;
    const Settings& m_settings;
    bool m_running = false;
};

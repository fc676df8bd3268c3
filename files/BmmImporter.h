#pragma once

#include "base/Prompts.h"
#include "files/BmmFormat.h"

#include <QObject>

class ListBox;
class TForm1;

/// "Extras" → "Import" → "Bleeper Music Maker (.bmm)": replaces the song by a `.bmm` song.
class BmmImporter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BmmImporter)

public:
    explicit BmmImporter(TForm1& form);

    /// The import's open dialog (`OpenDialog2`).
    static Prompts::FileDialog OpenDialog2();
    /// The text shown when a file has no tempo line.
    static QString noTempoMessage();

    void BleeperMusicMakerbmm1Click();
    /// Imports the file without asking for it (a file named on the command line).
    void importFile(const QString& fileName) { import(fileName); }

    /// The main window's hidden scratch list: the lines of the last imported file.
    ListBox* bmm = nullptr;

signals:
    /// A file was imported completely.
    void opened(const QString& fileName);

private:
    void import(const QString& fileName);

    TForm1& m_form;
    bool m_running = false;
};

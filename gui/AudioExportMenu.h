#pragma once

#include "audio/AudioExport.h"

#include <QObject>

class QAction;
class TForm1;

/// The window's side of the audio export: its menu item, and a progress dialog with
/// "Abbrechen" over the main window while the file is written.
class AudioExportMenu final : public QObject, public AudioExportView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AudioExportMenu)

public:
    explicit AudioExportMenu(TForm1& form);

    /// Runs @p exporter's "Exportieren" → "Audio" when @p item is chosen.
    void connectItem(QAction* item, AudioExport& exporter);

    // AudioExportView
    const NoteTable* noteTable() const override;
    std::unique_ptr<ExportProgress> exportProgress() override;

private:
    TForm1& m_form;
};

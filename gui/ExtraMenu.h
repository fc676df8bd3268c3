#pragma once

class QAction;
class QMenu;
class TForm1;

/// The menu items for export, undo and redo: "Exportieren" in "Datei", "Rückgängig" and
/// "Wiederholen" at the top of "Bearbeiten"; and the MIDI file import, enabled.
class ExtraMenu final {
public:
    explicit ExtraMenu(TForm1& form);
    ExtraMenu(const ExtraMenu&) = delete;
    ExtraMenu& operator=(const ExtraMenu&) = delete;

    QMenu* Exportieren1 = nullptr;
    QAction* ExportAudio1 = nullptr;
    QAction* ExportMidi1 = nullptr;
    QAction* Rueckgaengig1 = nullptr;
    QAction* Wiederholen1 = nullptr;
};

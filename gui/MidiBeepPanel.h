#pragma once

#include "audio/MidiBeep.h"

#include <QObject>

class PanelCloseLabel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class TForm1;

/// The "MIDI-Beep" side panel of the main window and its menu item; it gives MIDI input the
/// beep's length and the repetition switch.
class MidiBeepPanel final : public QObject, public MidiBeepView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiBeepPanel)

public:
    explicit MidiBeepPanel(TForm1& main);
    ~MidiBeepPanel() override;

    QGroupBox* gbMidibeep = nullptr;
    QCheckBox* cbmidibeepact = nullptr;
    QLabel* laLang = nullptr;
    QLineEdit* edLang = nullptr;
    QCheckBox* cbwiederhol = nullptr;
    PanelCloseLabel* laX = nullptr;

    void cbmidibeepactClick();
    void MidiBeep1Click();
    void laXClick();

    // MidiBeepView
    const NoteTable* noteTable() const override;
    QString beepLength() const override;
    bool repeatChecked() const override;
    QString entryLength() const override;

private:
    TForm1& m_main;
};

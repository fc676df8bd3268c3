#pragma once

#include <QObject>

#include <chrono>
#include <functional>

class PanelCloseLabel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;
class TForm1;
class TMidiInput;

/// MIDI input on the main window: every received message either sounds as a beep of its note
/// ("MIDI-Beep") or, with "Auf MIDI Befehle Warten" checked in the settings, records song lines:
/// one message starts a line with the note on track 1, the next gives it its length. Holds the
/// main window's MIDI input object and the "MIDI-Beep" side panel.
class MidiBeep final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiBeep)

public:
    using Clock = std::chrono::steady_clock;

    explicit MidiBeep(TForm1& main);
    ~MidiBeep() override;

    /// The main window's input object; none when the system has no MIDI input device.
    TMidiInput* MidiInput = nullptr;
    /// Recording: a line has been started and waits for its length. MIDI-Beep: a repetition
    /// is sounding.
    bool MidiNotePending = false;
    Clock::time_point MidiNoteStart{};
    Clock::time_point MidiNoteEnd{};

    // The "MIDI-Beep" panel.
    QGroupBox* gbMidibeep = nullptr;
    QCheckBox* cbmidibeepact = nullptr;
    QLabel* laLang = nullptr;
    QLineEdit* edLang = nullptr;
    QCheckBox* cbwiederhol = nullptr;
    PanelCloseLabel* laX = nullptr;

    /// Handles one received message (the input object's OnMidiInput).
    void HandleMidiInput();
    void cbmidibeepactClick();
    void MidiBeep1Click();
    void laXClick();

    /// Reopens the input object on device @p deviceId and starts it; a pending line or a
    /// sounding repetition is dropped. Input is live only after this ran once.
    void restartInput(int deviceId);
    /// Whether a "wiederholend?" repetition is sounding.
    bool repeating() const;
    /// The clock recording measures with (tests replace it).
    void setClock(std::function<Clock::time_point()> clock);

private:
    void beepMessage(int data1);
    void recordMessage(int data1);
    void repeatTick();
    void stopRepeating();
    bool settingChecked(const char* name) const;

    TForm1& m_main;
    QTimer* m_repeat = nullptr;
    int m_repeatFrequency = 0;
    int m_repeatDuration = 0;
    std::function<Clock::time_point()> m_clock;
};

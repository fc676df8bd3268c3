#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class NoteTable;
class QTimer;
class Song;
class TMidiInput;
struct Settings;

/// What MIDI input reads of the windows: the note table and the fields of the "MIDI-Beep"
/// panel and the tone entry, as they are at each message.
class MidiBeepView {
public:
    virtual ~MidiBeepView() = default;
    /// The loaded note table; none while there is none.
    virtual const NoteTable* noteTable() const = 0;
    /// "Länge pro Ton" as typed.
    virtual QString beepLength() const = 0;
    /// "wiederholend?" is checked.
    virtual bool repeatChecked() const = 0;
    /// The tone entry's length as typed.
    virtual QString entryLength() const = 0;
};

/// MIDI input: every received message either sounds as a beep of its note ("MIDI-Beep") or,
/// with "Auf MIDI Befehle Warten" checked in the settings, records song lines: one message
/// starts a line with the note on track 1, the next gives it its length. Holds the program's
/// MIDI input object.
class MidiBeep final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiBeep)

public:
    using Clock = std::chrono::steady_clock;

    MidiBeep(Song& song, const Settings& settings, MidiBeepView& view);
    ~MidiBeep() override;

    /// The input object; none when the system has no MIDI input device.
    TMidiInput* MidiInput = nullptr;
    /// Recording: a line has been started and waits for its length. MIDI-Beep: a repetition
    /// is sounding.
    bool MidiNotePending = false;
    Clock::time_point MidiNoteStart{};
    Clock::time_point MidiNoteEnd{};

    /// Handles one received message (the input object's OnMidiInput).
    void HandleMidiInput();

    /// Reopens the input object on device @p deviceId and starts it; a pending line or a
    /// sounding repetition is dropped. Input is live only after this ran once.
    void restartInput(int deviceId);
    /// Whether a "wiederholend?" repetition is sounding.
    bool repeating() const;
    /// The clock recording measures with (tests replace it).
    void setClock(std::function<Clock::time_point()> clock);

private:
    int noteFrequency(int data1) const;
    void beepMessage(int data1);
    void recordMessage(int data1);
    void repeatTick();
    void stopRepeating();

    Song& m_song;
    const Settings& m_settings;
    MidiBeepView& m_view;
    QTimer* m_repeat = nullptr;
    int m_repeatFrequency = 0;
    int m_repeatDuration = 0;
    std::function<Clock::time_point()> m_clock;
};

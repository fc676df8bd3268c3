#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>

class QTimer;
class TForm1;
class TMidiOutput;
class SettingsMidiPage;

/// Plays the song on a MIDI output device, both tracks at once: track 1 on channel 1, track 2
/// on channel 2, either as percussion on channel 10. Also the main window's MIDI tone test and
/// the "MIDI-Out" menu item.
///
/// A line's note-offs are sent by the tick of the next line rather than after a blocking wait,
/// so the window stays responsive; the messages and their order are those of a tick that
/// waits. Every line is due at the sum of the lengths before it, whatever the timer's
/// accuracy, and the messages carry that time to devices that can place them. Whatever ends
/// the playback (Stop, Pause, the song's end, an error, closing the window) first ends the
/// notes that sound.
class MidiEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiEngine)

public:
    explicit MidiEngine(TForm1& form);
    ~MidiEngine() override;

    QTimer* tiMIDI = nullptr;
    /// The main window's output object, opened for one playback or one tone test.
    TMidiOutput* MidiOutput = nullptr;
    int TrackVelocity1 = 100;
    int TrackVelocity2 = 100;

    /// True when Play is to run this engine ("MIDI Output aktivieren").
    bool selected() const;

    /// Play or Pause with the MIDI engine selected: reopen the device, send both programs,
    /// build the table, and run the timer unless paused.
    void MidiEngineStart();
    void tiMIDITimer();
    /// The tone of the entry fields for one second on channel 1.
    void MidiToneTest(int frequency);
    void MIDIOut1Click();

    /// Pause: the timer stops and the sounding notes end.
    void pause();
    /// Stop: the timer stops, the sounding notes end, the settings' tests are enabled again and
    /// the device is closed.
    void stop();
    /// Sends the note-offs of the line that sounds, if any.
    void endSoundingNotes();

private:
    struct Sounding {
        bool active = false;
        int note1 = -2;
        int note2 = -2;
        int drum1 = 0;
        int drum2 = 0;
        int velocity1 = 0;
        int velocity2 = 0;
    };
    using Clock = std::chrono::steady_clock;

    SettingsMidiPage* page() const;
    void reopenOutput();
    void finishLine(Clock::time_point at);
    void showPosition();
    void armNextLine();

    TForm1& m_form;
    Sounding m_sounding;
    Clock::time_point m_lineDue{};
    /// Latest time a message was placed at.
    Clock::time_point m_lastDue{};
    Clock::duration m_ahead{};
    bool m_scheduleStarted = false;
    bool m_inTick = false;
};

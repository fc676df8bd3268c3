#pragma once

#include "audio/PlaybackEngine.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

class NoteTable;
class QTimer;
class Song;
class TMidiOutput;
struct Settings;

/// What the MIDI engine needs of the windows: the note table its lookups read, the settings'
/// controls that may not run while it plays, and the output check marks.
class MidiView {
public:
    virtual ~MidiView() = default;
    /// The loaded note table; none while there is none.
    virtual const NoteTable* noteTable() const = 0;
    /// Disables (or enables again) what may not run during MIDI playback: the settings' tests,
    /// "Übernehmen", "OK".
    virtual void setPlaybackLock(bool playing) = 0;
    /// Sets one check mark of the output choice (the settings value follows it).
    virtual void setOutputMark(OutputMark mark, bool checked) = 0;
};

/// Plays the song on a MIDI output device, both tracks at once: track 1 on channel 1, track 2
/// on channel 2, either as percussion on channel 10. Also the main window's MIDI tone test and
/// the "MIDI-Out" menu item.
///
/// On a device that places messages at sample times (the built-in synthesizer), every line's
/// note-ons and note-offs are queued ahead, about a second before they sound, at their sample
/// times on the sound device's own clock: a line starts at the sum of the durations before it,
/// and its note-offs are fixed when its note-ons are queued. The ticks only follow what is heard
/// (selection, progress, the song's end), so a window's thread held up by load changes nothing
/// audible. Stop and Pause take back what is queued beyond now and end the notes that sound.
///
/// On other devices the messages are sent when due: a line's note-offs are sent by the tick of
/// the next line rather than after a blocking wait, so the window stays responsive; every line
/// is due at the sum of the lengths before it, whatever the timer's accuracy.
///
/// Either way the messages and their order are those of a tick that waits, and whatever ends
/// the playback (Stop, Pause, the song's end, an error, closing the window) first ends the notes
/// that sound.
///
/// The instruments, drum sounds, drum modes and velocities are read from the settings when
/// Play starts and as each line is queued, as the settings show them then.
class MidiEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MidiEngine)

public:
    /// Takes over Play from @p playback while "MIDI Output aktivieren" is on.
    MidiEngine(Song& song, const Settings& settings, PlaybackEngine& playback, MidiView& view);
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
    /// The end mark at @p position stands for a line that cannot be played.
    bool unplayableAt(int position) const;
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

    void reopenOutput();
    void finishLine(Clock::time_point at);
    void showPosition();
    void armNextLine();

    // Placed on the sound device's sample clock (kMidiCapsStream).
    struct Placed {
        int index = 0;
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        bool endMark = false;
        Sounding notes;
    };
    void startPlacing();
    void placeAhead();
    void tickPlaced();
    void armPlaced();
    /// Takes back what is queued beyond what the device may be mixing now and ends the notes
    /// that still sound; with @p followView the view catches up with the line heard.
    void takeBackPlaced(bool followView);
    /// The notes a line sounds, with the drum keys and velocities chosen now.
    Sounding soundingOf(int note1, int note2) const;
    /// A line's note-ons, in their order; melody or drum as each track's mode is now.
    void sendOns(const Sounding& line,
                 const std::function<void(std::uint8_t, std::uint8_t, std::uint8_t)>& send) const;
    /// A line's note-offs, in their order, placed at @p at.
    void sendOffs(const Sounding& line, std::uint64_t at);
    void sendOffs(const Sounding& line,
                  const std::function<void(std::uint8_t, std::uint8_t, std::uint8_t)>& send);

    Song& m_song;
    const Settings& m_settings;
    PlaybackEngine& m_playback;
    MidiView& m_view;
    Sounding m_sounding;
    Clock::time_point m_lineDue{};
    /// Latest time a message was placed at.
    Clock::time_point m_lastDue{};
    Clock::duration m_ahead{};
    bool m_scheduleStarted = false;
    /// The device places messages at sample times: the song is queued ahead on that clock.
    bool m_placing = false;
    std::deque<Placed> m_placed; ///< queued and not yet heard
    std::optional<Placed> m_heard; ///< the line heard last
    std::uint64_t m_origin = 0;  ///< sample time of the line playing started with
    std::int64_t m_sumMs = 0;    ///< durations of the lines queued since then
    int m_nextIndex = 0;         ///< the next line to queue
    bool m_placedAll = false;    ///< the end mark is queued
    bool m_inTick = false;
};

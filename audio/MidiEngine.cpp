#include "audio/MidiEngine.h"

#include "audio/GmSynth.h"
#include "audio/MidiOutput.h"
#include "audio/MidiTypes.h"
#include "audio/PlayableLine.h"
#include "audio/SoundDevice.h"
#include "base/Guard.h"
#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "settings/Settings.h"
#include "song/NoteTable.h"
#include "song/Song.h"

#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <exception>
#include <thread>

namespace {

/// A tick that comes this late starts the schedule afresh instead of rushing the lines after it.
constexpr auto kResyncAfter = std::chrono::milliseconds(100);
/// A device that places messages at their time gets them this early, so a tick that the
/// window delays (a repaint, a busy machine) still sounds its line on time.
constexpr auto kScheduleAhead = std::chrono::milliseconds(30);

/// On a device that places messages at sample times: the song is queued this far ahead of what
/// is heard, and topped up when less than half of it is left. Settings read per line (melody
/// or drum, the drum sounds) take effect within this time.
constexpr std::uint64_t kPlaceAhead = 3 * SoundDevice::kSampleRate / 2;
/// At most this many lines are queued ahead (a song of empty lines).
constexpr std::size_t kMostPlaced = 512;
/// The first line starts this far after Play, and Stop takes back what lies more than this
/// beyond what is heard: the device may be mixing the buffer after the one heard now, whose
/// messages have already taken effect.
constexpr std::uint64_t kPlaceLead = 2 * SoundDevice::kBufferSamples;

/// The drum lists start at this key (Acoustic Bass Drum).
constexpr int kFirstDrumKey = 35;

std::uint64_t samplesOfMs(std::int64_t ms) {
    return std::uint64_t(std::max<std::int64_t>(ms, 0)) * SoundDevice::kSampleRate / 1000;
}

} // namespace

MidiEngine::MidiEngine(Song& song, const Settings& settings, PlaybackEngine& playback,
                       MidiView& view)
    : m_song(song), m_settings(settings), m_playback(playback), m_view(view) {
    tiMIDI = new QTimer(this);
    tiMIDI->setObjectName(QStringLiteral("tiMIDI"));
    tiMIDI->setTimerType(Qt::PreciseTimer);
    tiMIDI->setSingleShot(true);
    MidiOutput = new TMidiOutput(this);
    MidiOutput->setObjectName(QStringLiteral("MidiOutput"));

    connectGuarded(tiMIDI, &QTimer::timeout, this, [this] { tiMIDITimer(); });
    m_playback.setMidiEngine(this);
}

MidiEngine::~MidiEngine() {
    m_playback.setMidiEngine(nullptr);
    // Closing the window ends every note that still sounds.
    tiMIDI->stop();
    try {
        endSoundingNotes();
    } catch (...) {
    }
    try {
        MidiOutput->Close();
    } catch (...) {
    }
}

bool MidiEngine::selected() const {
    return m_settings.midiOutput;
}

void MidiEngine::reopenOutput() {
    MidiOutput->Close();
    MidiOutput->setDeviceID(m_settings.midiOutputDevice);
    // A device without its driver (the built-in synthesizer without its library) says so
    // here; the first send would only call the handle invalid.
    if (!MidiOutput->Open() && MidiOutput->lastError() == kMidiNoDriver)
        throw EmidioutputError(midiErrorText(kMidiNoDriver, false));
}

void MidiEngine::MidiEngineStart() {
    tiMIDI->stop();
    endSoundingNotes();
    reopenOutput();
    MidiOutput->SendShortMessage(0xC0, std::uint8_t(m_settings.midiTrack(1).instrument), 0);

    TPlayTable& table = m_playback.PlayTable;
    const int n = m_song.Memo1->count();
    table.first.assign(std::size_t(n) + 1, 0);
    table.second.assign(std::size_t(n) + 1, 0);
    table.third.assign(std::size_t(n) + 1, 0);
    const NoteTable* notes = m_view.noteTable();
    for (int i = 0; i < n; ++i) {
        // A line that cannot be played is an end mark of its own: the song stops there.
        const auto values = PlayableLine::read(m_song, i);
        if (!values) {
            table.first[i] = -1;
            continue;
        }
        table.first[i] = notes ? FrequencyToMidiNote(*notes, m_song.Memo1->item(i)) : -2;
        table.second[i] = notes ? FrequencyToMidiNote(*notes, m_song.Memo3->item(i)) : -2;
        table.third[i] = values->dur1;
    }

    MidiOutput->SendShortMessage(0xC1, std::uint8_t(m_settings.midiTrack(2).instrument), 0);
    tiMIDI->setInterval(10);
    m_view.setPlaybackLock(true);
    TrackVelocity1 = m_settings.midiTrack(1).velocity;
    TrackVelocity2 = m_settings.midiTrack(2).velocity;
    table.first[n] = -1;
    m_scheduleStarted = false;
    m_placing = (MidiOutput->support() & kMidiCapsStream) != 0;
    // The built-in synthesizer sounds as loud as the waveform output at its volume setting.
    GmSynth::setVolume(m_playback.SynthVolume);
    if (!m_playback.PlayStopped) {
        if (m_placing)
            startPlacing();
        else
            tiMIDI->start();
    }
}

bool MidiEngine::unplayableAt(int position) const {
    // An end mark before the table's last entry stands for a line that cannot be played.
    return position >= 0 && std::size_t(position) + 1 < m_playback.PlayTable.first.size();
}

void MidiEngine::startPlacing() {
    SoundDevice& device = SoundDevice::instance();
    device.wake();
    m_placed.clear();
    m_heard.reset();
    m_origin = device.playedSamples() + kPlaceLead;
    m_sumMs = 0;
    m_nextIndex = m_playback.PlayPosition;
    m_placedAll = false;
    try {
        placeAhead();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            m_playback.btstopClick();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
    armPlaced();
}

void MidiEngine::placeAhead() {
    const std::uint64_t heard = SoundDevice::instance().playedSamples();
    const TPlayTable& table = m_playback.PlayTable;
    while (!m_placedAll) {
        const std::uint64_t start = m_origin + samplesOfMs(m_sumMs);
        if (m_placed.size() >= 2 && (start >= heard + kPlaceAhead || m_placed.size() >= kMostPlaced))
            return;
        Placed line;
        line.index = m_nextIndex;
        line.start = start;
        line.end = start;
        const int position = m_nextIndex;
        // The table can be shorter than the position when lines were deleted during a pause.
        if (position < 0 || std::size_t(position) >= table.first.size() ||
            table.first[std::size_t(position)] == -1) {
            line.endMark = true;
            m_placed.push_back(line);
            m_placedAll = true;
            return;
        }
        const int note1 = table.first[std::size_t(position)];
        const int note2 = table.second[std::size_t(position)];
        m_sumMs += std::max(table.third[std::size_t(position)], 0);
        line.end = m_origin + samplesOfMs(m_sumMs);
        m_nextIndex = m_playback.nextLine(m_nextIndex);
        if (note1 == -2 && note2 == -2) {
            m_placed.push_back(line); // a rest: nothing is sent
            continue;
        }
        line.notes = soundingOf(note1, note2);
        // Recorded before anything is sent, so an error half-way still ends what did start.
        m_placed.push_back(line);
        sendOns(line.notes, [&](std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
                    MidiOutput->SendShortMessageAtSample(status, key, velocity, line.start);
                });
        // The line's end is fixed with its start.
        sendOffs(line.notes, line.end);
    }
}

void MidiEngine::tickPlaced() {
    const std::uint64_t heard = SoundDevice::instance().playedSamples();
    bool stepped = false;
    while (!m_placed.empty() && m_placed.front().start <= heard) {
        const Placed line = m_placed.front();
        m_placed.pop_front();
        if (line.endMark) {
            m_playback.endReached(line.index, unplayableAt(line.index));
            return;
        }
        m_heard = line;
        m_playback.PlayPosition = m_playback.nextLine(line.index);
        stepped = true;
    }
    if (stepped)
        showPosition();
    placeAhead();
    armPlaced();
}

void MidiEngine::armPlaced() {
    const std::uint64_t heard = SoundDevice::instance().playedSamples();
    std::uint64_t next = heard + kPlaceAhead / 2;
    if (!m_placed.empty())
        next = std::min(next, m_placed.front().start);
    if (!m_placedAll) {
        const std::uint64_t refill = m_origin + samplesOfMs(m_sumMs);
        next = std::min(next, refill > kPlaceAhead / 2 ? refill - kPlaceAhead / 2 : 0);
    }
    // Rounded up, and never 0: the tick comes once the sample it waits for is heard.
    const std::uint64_t left = next > heard ? next - heard : 0;
    const auto ms = (left * 1000 + SoundDevice::kSampleRate - 1) / SoundDevice::kSampleRate;
    tiMIDI->start(int(std::clamp<std::uint64_t>(ms, 1, 1000)));
}

void MidiEngine::takeBackPlaced(bool followView) {
    if (!m_heard && m_placed.empty())
        return;
    // What the device may already be mixing stays; everything after it is taken back, and the
    // notes that then still sound end there.
    const std::uint64_t cut = SoundDevice::instance().playedSamples() + kPlaceLead;
    std::deque<Placed> kept;
    if (m_heard)
        kept.push_back(*m_heard);
    for (const Placed& line : m_placed)
        if (line.start <= cut && !line.endMark)
            kept.push_back(line);
    m_placed.clear();
    m_heard.reset();
    m_placedAll = false;
    MidiOutput->TakeBackFrom(cut + 1);
    if (followView && !kept.empty() &&
        m_playback.PlayPosition != m_playback.nextLine(kept.back().index)) {
        // The view catches up with a line that sounds but whose tick has not come yet.
        m_playback.PlayPosition = m_playback.nextLine(kept.back().index);
        showPosition();
    }
    std::exception_ptr first;
    for (const Placed& line : kept) {
        if (!line.notes.active || line.end <= cut)
            continue;
        try {
            sendOffs(line.notes, cut);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void MidiEngine::tiMIDITimer() {
    // A message box during a tick runs the event loop; the running tick arms the next one.
    if (m_inTick)
        return;
    m_inTick = true;
    const auto leave = qScopeGuard([this] { m_inTick = false; });
    try {
        if (m_placing) {
            tickPlaced();
            return;
        }
        const Clock::time_point now = Clock::now();
        if (!m_scheduleStarted || now - m_lineDue > kResyncAfter) {
            m_ahead = (MidiOutput->support() & kMidiCapsStream) ? kScheduleAhead
                                                                : Clock::duration::zero();
            m_lineDue = now + m_ahead;
            m_scheduleStarted = true;
        }
        const Clock::time_point due = m_lineDue;
        // The line before this one ends where this one begins.
        if (m_sounding.active) {
            finishLine(due);
            showPosition();
        }

        PlaybackEngine& playback = m_playback;
        const TPlayTable& table = playback.PlayTable;
        const int position = playback.PlayPosition;
        // The table can be shorter than the position when lines were deleted during a pause.
        if (position < 0 || std::size_t(position) >= table.first.size() ||
            table.first[position] == -1) {
            playback.endReached(position, unplayableAt(position));
            return;
        }
        const int note1 = table.first[position];
        const int note2 = table.second[position];
        const int duration = std::max(table.third[position], 0);
        m_lineDue = due + std::chrono::milliseconds(duration);
        playback.PlayPosition = playback.nextLine(position);
        armNextLine();

        if (note1 == -2 && note2 == -2) {
            showPosition(); // a rest: nothing sounds, the timer paces it
            return;
        }
        // Recorded before anything is sent, so an error half-way still ends what did start.
        m_sounding = soundingOf(note1, note2);
        sendOns(m_sounding, [&](std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
                    MidiOutput->SendShortMessageAt(status, key, velocity, due);
                    m_lastDue = std::max(m_lastDue, due);
                });
    } catch (...) {
        // A device error ends the playback (and its notes) before it is shown, instead of
        // failing again at every line.
        const std::exception_ptr error = std::current_exception();
        try {
            m_playback.btstopClick();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
}

void MidiEngine::armNextLine() {
    const auto left = m_lineDue - m_ahead - Clock::now();
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    tiMIDI->start(int(std::clamp<long long>(ms, 0, 24LL * 3600 * 1000)));
}

void MidiEngine::finishLine(Clock::time_point at) {
    const Sounding line = m_sounding;
    m_sounding = {};
    sendOffs(line, [&](std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
        MidiOutput->SendShortMessageAt(status, key, velocity, at);
    });
}

MidiEngine::Sounding MidiEngine::soundingOf(int note1, int note2) const {
    Sounding line;
    line.active = true;
    line.note1 = note1;
    line.note2 = note2;
    line.drum1 = kFirstDrumKey + m_settings.midiTrack(1).drum;
    line.drum2 = kFirstDrumKey + m_settings.midiTrack(2).drum;
    line.velocity1 = TrackVelocity1;
    line.velocity2 = TrackVelocity2;
    return line;
}

void MidiEngine::sendOns(
    const Sounding& line,
    const std::function<void(std::uint8_t, std::uint8_t, std::uint8_t)>& send) const {
    const auto on = [&](std::uint8_t status, int key, int velocity) {
        send(status, std::uint8_t(key), std::uint8_t(velocity));
    };
    if (line.note1 != -2) {
        if (!m_settings.midiTrack(1).drumMode)
            on(0x90, line.note1, line.velocity1);
        else
            on(0x99, line.drum1, line.velocity1);
    }
    if (line.note2 != -2) {
        if (!m_settings.midiTrack(2).drumMode)
            on(0x91, line.note2, line.velocity2);
        else
            on(0x99, line.drum2, line.velocity2);
    }
}

void MidiEngine::sendOffs(const Sounding& line, std::uint64_t at) {
    sendOffs(line, [&](std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
        MidiOutput->SendShortMessageAtSample(status, key, velocity, at);
    });
}

void MidiEngine::sendOffs(
    const Sounding& line,
    const std::function<void(std::uint8_t, std::uint8_t, std::uint8_t)>& send) {
    // Every note-off is tried even when one fails; the first error is reported.
    std::exception_ptr first;
    const auto off = [&](std::uint8_t status, int key, int velocity) {
        try {
            send(status, std::uint8_t(key), std::uint8_t(velocity));
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    };
    if (line.note1 != -2)
        off(0x80, line.note1, line.velocity1);
    if (line.note2 != -2)
        off(0x81, line.note2, line.velocity2);
    if (line.note1 != -2)
        off(0x89, line.drum1, line.velocity1);
    if (line.note2 != -2)
        off(0x89, line.drum2, line.velocity2);
    if (first)
        std::rethrow_exception(first);
}

void MidiEngine::endSoundingNotes() {
    if (m_placing) {
        takeBackPlaced(false);
        return;
    }
    // A line sent ahead may not have begun yet: its end cannot come before its start.
    if (m_sounding.active)
        finishLine(std::max(Clock::now(), m_lastDue));
}

void MidiEngine::showPosition() {
    m_playback.showPosition();
}

void MidiEngine::pause() {
    tiMIDI->stop();
    if (m_placing)
        takeBackPlaced(true);
    else
        endSoundingNotes();
}

void MidiEngine::stop() {
    tiMIDI->stop();
    const auto closeAtEnd = qScopeGuard([this] {
        m_view.setPlaybackLock(false);
        MidiOutput->Close();
    });
    endSoundingNotes();
}

void MidiEngine::MidiToneTest(int frequency) {
    int note = frequency;
    if (const NoteTable* notes = m_view.noteTable()) {
        const NoteTable& grid = *notes;
        const QString wanted = QString::number(frequency);
        for (int row = 1; row < grid.rowCount(); ++row) {
            QString cell = grid.cell(NoteTable::kFrequencyColumn, row);
            const int dash = cell.indexOf(QLatin1Char('-'));
            if (dash >= 0)
                cell.remove(dash, 1);
            if (TrimBlanks(cell) == wanted)
                note = StrToInt(grid.cell(NoteTable::kMidiColumn, row));
        }
    }
    GmSynth::setVolume(m_playback.SynthVolume);
    reopenOutput();
    const auto closeAtEnd = qScopeGuard([this] { MidiOutput->Close(); });
    const auto key = std::uint8_t(unsigned(note) % 256);
    MidiOutput->SendShortMessage(0x90, key, 100);
    if (MidiOutput->support() & kMidiCapsStream) {
        // Held for a second of the sound device's clock, on which the synthesizer sounds.
        SoundDevice& device = SoundDevice::instance();
        const std::uint64_t until = device.playedSamples() + SoundDevice::kSampleRate;
        while (device.playedSamples() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    }
    MidiOutput->SendShortMessage(0x80, key, 64);
}

void MidiEngine::MIDIOut1Click() {
    if (m_settings.midiOut) {
        m_view.setOutputMark(OutputMark::MIDIOut, false);
        m_view.setOutputMark(OutputMark::MidiOutputSetting, false);
        m_view.setOutputMark(OutputMark::Beeper, true);
    } else {
        m_view.setOutputMark(OutputMark::MIDIOut, true);
        m_view.setOutputMark(OutputMark::MidiOutputSetting, true);
        m_view.setOutputMark(OutputMark::FMSynthese, false);
        m_view.setOutputMark(OutputMark::Beeper, false);
    }
}

#include "audio/MidiBeep.h"

#include "audio/MidiInput.h"
#include "audio/SystemBeep.h"
#include "base/Errors.h"
#include "base/Guard.h"
#include "base/ListItems.h"
#include "base/StrToInt.h"
#include "settings/Settings.h"
#include "song/Song.h"
#include "song/NoteTable.h"

#include <QTimer>

#include <algorithm>
#include <limits>

MidiBeep::MidiBeep(Song& song, const Settings& settings, MidiBeepView& view)
    : m_song(song), m_settings(settings), m_view(view), m_clock([] { return Clock::now(); }) {
    m_repeat = new QTimer(this);
    m_repeat->setObjectName(QStringLiteral("MidiBeepRepeat"));
    m_repeat->setInterval(0);
    connectGuarded(m_repeat, &QTimer::timeout, this, [this] { repeatTick(); });

    // Without a MIDI input device the layer refuses the object; input then stays off.
    try {
        MidiInput = new TMidiInput(this);
        MidiInput->setObjectName(QStringLiteral("MidiInput"));
        if (MidiInput->deviceCount() > 0)
            MidiInput->OnMidiInput = [this](TMidiInput*) {
                guarded([this] { HandleMidiInput(); });
            };
    } catch (const AppError&) {
        delete MidiInput;
        MidiInput = nullptr;
    }
}

MidiBeep::~MidiBeep() {
    // The input object is closed after this handler is gone: no message reaches it any more.
    if (MidiInput)
        MidiInput->OnMidiInput = nullptr;
}

void MidiBeep::setClock(std::function<Clock::time_point()> clock) {
    m_clock = std::move(clock);
}

bool MidiBeep::repeating() const {
    return m_repeat->isActive();
}

// The note's frequency from the note table, −2 when the note has no row.
int MidiBeep::noteFrequency(int data1) const {
    const NoteTable* notes = m_view.noteTable();
    return notes ? MidiNoteToFrequency(*notes, QString::number(data1)) : -2;
}

void MidiBeep::HandleMidiInput() {
    if (!MidiInput)
        return;
    const std::optional<TMyMidiEvent> event = MidiInput->ReadEvent();
    if (!event)
        return;
    // A sounding repetition ends with the next message, whichever it is; the message itself
    // then sounds once and starts no new repetition.
    const bool wasRepeating = repeating();
    if (wasRepeating)
        stopRepeating();
    if (!m_settings.waitForMidi) {
        if (wasRepeating)
            MidiNotePending = true;
        beepMessage(event->Data1);
    } else {
        recordMessage(event->Data1);
    }
}

void MidiBeep::beepMessage(int data1) {
    const int frequency = noteFrequency(data1);
    const int duration = StrToInt(m_view.beepLength());
    // Straight to the beep: neither the port path, the waveform nor MIDI output.
    SystemBeep(frequency, duration);
    if (m_view.repeatChecked() && !MidiNotePending) {
        // The repetition runs from the event loop, one beep per turn, so the window stays
        // usable and the next message or unchecking "wiederholend?" can end it.
        MidiNotePending = true;
        m_repeatFrequency = frequency;
        m_repeatDuration = duration;
        m_repeat->start();
        return;
    }
    MidiNotePending = false;
}

void MidiBeep::repeatTick() {
    if (!m_view.repeatChecked()) {
        stopRepeating();
        return;
    }
    SystemBeep(m_repeatFrequency, m_repeatDuration);
}

void MidiBeep::stopRepeating() {
    m_repeat->stop();
    MidiNotePending = false;
}

void MidiBeep::recordMessage(int data1) {
    if (!MidiNotePending) {
        m_song.Memo1->add(QString::number(noteFrequency(data1)));
        m_song.Memo3->add(QStringLiteral("0"));
        MidiNotePending = true;
        MidiNoteStart = m_clock();
        return;
    }
    MidiNotePending = false;
    MidiNoteEnd = m_clock();
    QString length;
    if (m_settings.bpmLengthForMidi) {
        length = m_view.entryLength();
    } else {
        // The whole time the key was held: a key held over a minute keeps its minutes.
        const auto held =
            std::chrono::duration_cast<std::chrono::milliseconds>(MidiNoteEnd - MidiNoteStart);
        length = QString::number(
            std::clamp<long long>(held.count(), 0, std::numeric_limits<int>::max()));
    }
    m_song.Memo2->add(length);
    m_song.Memo4->add(length);
}

void MidiBeep::restartInput(int deviceId) {
    if (!MidiInput)
        return;
    stopRepeating();
    MidiInput->Stop();
    MidiInput->Close();
    if (deviceId < 0)
        throw EMidiInputError(QStringLiteral("Invalid device ID"));
    MidiInput->setDeviceID(unsigned(deviceId));
    MidiInput->Open();
    MidiInput->Start();
    MidiNotePending = false;
}

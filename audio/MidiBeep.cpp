#include "audio/MidiBeep.h"

#include "audio/MidiInput.h"
#include "audio/SystemBeep.h"
#include "base/Errors.h"
#include "base/Guard.h"
#include "base/ListBox.h"
#include "base/StrToInt.h"
#include "settings/ControlLookup.h"
#include "settings/SettingsDialog.h"
#include "song/Forms.h"
#include "song/MainWindow.h"
#include "tools/NoteTableWindow.h"
#include "tools/PanelCloseLabel.h"
#include "tools/SidePanels.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

// The note's frequency from the note table, −2 when the note has no row.
int noteFrequency(int data1) {
    const TForm3* notes = forms().Form3;
    return notes ? notes->MidiNoteToFrequency(QString::number(data1)) : -2;
}

} // namespace

MidiBeep::MidiBeep(TForm1& main) : m_main(main), m_clock([] { return Clock::now(); }) {
    gbMidibeep =
        SidePanels::create(m_main, QStringLiteral("gbMidibeep"), QStringLiteral("MIDI-Beep"), 105);
    const QFont plain = gbMidibeep->property("plainFont").value<QFont>();
    cbmidibeepact = new QCheckBox(QStringLiteral("aktivieren"), gbMidibeep);
    cbmidibeepact->setObjectName(QStringLiteral("cbmidibeepact"));
    cbmidibeepact->setFont(plain);
    cbmidibeepact->setGeometry(8, 20, 177, 20);
    edLang = SidePanels::field(gbMidibeep, QStringLiteral("edLang"), QStringLiteral("10"), 8, 46,
                               41, QStringLiteral("Länge pro Ton"), 56, QStringLiteral("laLang"));
    laLang = gbMidibeep->findChild<QLabel*>(QStringLiteral("laLang"));
    cbwiederhol = new QCheckBox(QStringLiteral("wiederholend?"), gbMidibeep);
    cbwiederhol->setObjectName(QStringLiteral("cbwiederhol"));
    cbwiederhol->setFont(plain);
    cbwiederhol->setGeometry(8, 76, 177, 20);
    laX = SidePanels::closeLabel(gbMidibeep, QStringLiteral("laX"));

    m_repeat = new QTimer(this);
    m_repeat->setObjectName(QStringLiteral("MidiBeepRepeat"));
    m_repeat->setInterval(0);
    connectGuarded(m_repeat, &QTimer::timeout, this, [this] { repeatTick(); });

    SidePanels::onMenuClick(m_main.MidiBeep1, this, [this] { MidiBeep1Click(); });
    connectGuarded(laX, &PanelCloseLabel::clicked, this, [this] { laXClick(); });
    connectGuarded(cbmidibeepact, &QCheckBox::clicked, this, [this] { cbmidibeepactClick(); });

    // Without a MIDI input device the layer refuses the object; input then stays off.
    try {
        MidiInput = new TMidiInput(&m_main);
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
    // The input object belongs to the window and outlives this handler by a moment.
    if (MidiInput)
        MidiInput->OnMidiInput = nullptr;
}

void MidiBeep::setClock(std::function<Clock::time_point()> clock) {
    m_clock = std::move(clock);
}

bool MidiBeep::repeating() const {
    return m_repeat->isActive();
}

bool MidiBeep::settingChecked(const char* name) const {
    const auto* box = requiredControl<QCheckBox>(forms().Form6, QString::fromUtf8(name));
    return box && box->isChecked();
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
    if (!settingChecked("cbMidiwait")) {
        if (wasRepeating)
            MidiNotePending = true;
        beepMessage(event->Data1);
    } else {
        recordMessage(event->Data1);
    }
}

void MidiBeep::beepMessage(int data1) {
    const int frequency = noteFrequency(data1);
    const int duration = StrToInt(edLang->text());
    // Straight to the beep: neither the port path, the waveform nor MIDI output.
    SystemBeep(frequency, duration);
    if (cbwiederhol->isChecked() && !MidiNotePending) {
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
    if (!cbwiederhol->isChecked()) {
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
        m_main.Memo1->add(QString::number(noteFrequency(data1)));
        m_main.Memo3->add(QStringLiteral("0"));
        MidiNotePending = true;
        MidiNoteStart = m_clock();
        return;
    }
    MidiNotePending = false;
    MidiNoteEnd = m_clock();
    QString length;
    if (settingChecked("cbBPMMidi")) {
        length = m_main.edLengh->text();
    } else {
        // The whole time the key was held: a key held over a minute keeps its minutes.
        const auto held =
            std::chrono::duration_cast<std::chrono::milliseconds>(MidiNoteEnd - MidiNoteStart);
        length = QString::number(
            std::clamp<long long>(held.count(), 0, std::numeric_limits<int>::max()));
    }
    m_main.Memo2->add(length);
    m_main.Memo4->add(length);
}

void MidiBeep::cbmidibeepactClick() {
    if (auto* wait = requiredControl<QCheckBox>(forms().Form6, QStringLiteral("cbMidiwait")))
        wait->setChecked(false);
}

void MidiBeep::MidiBeep1Click() {
    m_main.toggleSidePanel(m_main.MidiBeep1, gbMidibeep);
}

void MidiBeep::laXClick() {
    m_main.closeSidePanel(m_main.MidiBeep1, gbMidibeep);
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

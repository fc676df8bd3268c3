#include "gui/LiveSettings.h"

#include "audio/MidiOutput.h"
#include "base/Guard.h"
#include "base/Prompts.h"
#include "base/StrToInt.h"
#include "net/FtpPresets.h"
#include "gui/ControlLookup.h"
#include "settings/ConfigLocation.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsLinks.h"
#include "gui/SettingsMidiPage.h"
#include "gui/SettingsNetworkPage.h"
#include "settings/SettingsStore.h"
#include "gui/WindowEffects.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QAbstractSlider>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <tuple>
#include <type_traits>

namespace {
using Presets = std::remove_cvref_t<decltype(FtpPresets::presets())>;
static_assert(Settings::kServerEntries == int(std::tuple_size_v<Presets>) + 1,
              "the server list holds the presets and the own server");
} // namespace

namespace {
/// The playback options' items in "Optionen": "Zweistimmig", "Schleife", "Vorhören".
constexpr const char* kPlaybackOptions[] = {"Zweistimmig1", "Schleife1", "Vorhoeren1"};
} // namespace

LiveSettings::LiveSettings(TForm6& dialog, Settings& live) : m_dialog(dialog), m_live(live) {
    setObjectName(QStringLiteral("LiveSettings"));
    follow();
    refresh();
}

LiveSettings::~LiveSettings() = default;

void LiveSettings::follow() {
    const auto on = [this](auto* sender, auto signal) {
        if (sender)
            connectGuarded(sender, signal, this, [this] { refresh(); });
    };
    TForm6& d = m_dialog;
    SettingsNetworkPage* net = d.networkPage;
    SettingsMidiPage* midi = d.midiPage;
    for (QCheckBox* box : {d.cbblink, d.cbbg, d.cbscroll, d.cbtrans, d.cbBMMINFO, d.cbNotenhinzu,
                           net->cbAutoconnect, net->cbPassiv, midi->cbMIDI, midi->cbMidiwait, midi->cbBPMMidi})
        on(box, &QCheckBox::toggled);
    for (QRadioButton* item : {net->RadioGroup1Item0, net->RadioGroup1Item1})
        on(item, &QRadioButton::toggled);
    for (QComboBox* list :
         {d.cbSprache, d.ComboBox2, net->ComboBox1, midi->combMidiG, midi->cbMidiNote1,
          midi->cbMidiNote2, midi->cbDrum1, midi->cbDrum2, midi->cbMidiIn})
        on(list, &QComboBox::currentIndexChanged);
    for (QLineEdit* edit :
         {net->edPort, net->edAdresse, net->edUser, net->edPw, d.edC, d.edCr, d.edD, d.edDr, d.edE,
          d.edF, d.edFr, d.edG, d.edGr, d.edA, d.edAr, d.edB})
        on(edit, &QLineEdit::textChanged);
    for (QAbstractSlider* bar :
         {static_cast<QAbstractSlider*>(d.tbfm), static_cast<QAbstractSlider*>(midi->TrackBar1),
          static_cast<QAbstractSlider*>(midi->TrackBar2)})
        on(bar, &QAbstractSlider::valueChanged);
    on(d.rgTonItems, &QButtonGroup::idToggled);
    // The melody/drum mode is the toggle's hint.
    midi->BitBtn3->installEventFilter(this);
    midi->BitBtn4->installEventFilter(this);
    on(midi, &SettingsMidiPage::outputDeviceChanged);
    if (TForm1* main = forms().Form1)
        for (QAction* item :
             {main->Beeper1, main->FMSynthese1, main->MIDIOut1, main->Scrollfunktion1})
            on(item, &QAction::toggled);
    // The playback options' check marks.
    if (TForm1* main = forms().Form1)
        for (const char* name : kPlaybackOptions)
            if (auto* item = findControlAs<QAction>(main, QString::fromLatin1(name)))
                on(item, &QAction::toggled);
}

bool LiveSettings::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTipChange)
        refresh();
    return QObject::eventFilter(watched, event);
}

void LiveSettings::refresh() {
    Settings& s = m_live;
    const TForm6& d = m_dialog;
    s.logoBlinkOff = d.cbblink->isChecked();
    s.backgroundHidden = d.cbbg->isChecked();
    s.scrollEffectOff = d.cbscroll->isChecked();
    s.seeThrough = d.cbtrans->isChecked();
    s.bmmInfoHidden = d.cbBMMINFO->isChecked();
    s.language = d.cbSprache->currentIndex();

    const SettingsNetworkPage& net = *d.networkPage;
    s.mirrorPortText = net.edPort->text();
    s.transmission = net.RadioGroup1Item1->isChecked()   ? 1
                     : net.RadioGroup1Item0->isChecked() ? 0
                                                         : -1;
    s.libraryServer = net.ComboBox1->currentIndex();
    s.libraryAddress = net.edAdresse->text();
    s.libraryUser = net.edUser->text();
    s.libraryPassword = net.edPw->text();
    s.libraryAutoconnect = net.cbAutoconnect->isChecked();
    s.libraryPassive = net.cbPassiv->isChecked();

    s.keyC = d.edC->text();
    s.keyCSharp = d.edCr->text();
    s.keyD = d.edD->text();
    s.keyDSharp = d.edDr->text();
    s.keyE = d.edE->text();
    s.keyF = d.edF->text();
    s.keyFSharp = d.edFr->text();
    s.keyG = d.edG->text();
    s.keyGSharp = d.edGr->text();
    s.keyA = d.edA->text();
    s.keyASharp = d.edAr->text();
    s.keyB = d.edB->text();
    s.addPlayedNotes = d.cbNotenhinzu->isChecked();
    s.keyboardSkin = d.ComboBox2->currentIndex();

    s.synthVolume = d.tbfm->value();
    s.waveform = d.rgTonItemIndex();

    const SettingsMidiPage& midi = *d.midiPage;
    s.midiOutput = midi.cbMIDI->isChecked();
    s.midiOutputChoice = midi.combMidiG->currentIndex();
    if (midi.MidiOutput)
        s.midiOutputDevice = midi.MidiOutput->DeviceID();
    const auto track = [&midi](int number, const QComboBox* instrument, const QComboBox* drum,
                               const QSlider* velocity) {
        return Settings::MidiTrack{instrument->currentIndex(), drum->currentIndex(),
                                   midi.drumMode(number), velocity->value()};
    };
    s.midiTracks = {track(1, midi.cbMidiNote1, midi.cbDrum1, midi.TrackBar1),
                    track(2, midi.cbMidiNote2, midi.cbDrum2, midi.TrackBar2)};
    s.waitForMidi = midi.cbMidiwait->isChecked();
    s.bpmLengthForMidi = midi.cbBPMMidi->isChecked();
    s.midiInputDevice = midi.cbMidiIn->currentIndex();

    if (const TForm1* main = forms().Form1) {
        s.mirrorPort = mirrorPort(*main);
        s.beeper = main->Beeper1->isChecked();
        s.fmSynthesis = main->FMSynthese1->isChecked();
        s.midiOut = main->MIDIOut1->isChecked();
        s.scrollOff = main->Scrollfunktion1->isChecked();
        bool* options[] = {&s.twoVoices, &s.loop, &s.preview};
        for (std::size_t i = 0; i < std::size(kPlaybackOptions); ++i)
            if (auto* item =
                    findControlAs<QAction>(forms().Form1, QString::fromLatin1(kPlaybackOptions[i])))
                *options[i] = item->isChecked();
    }
}

bool LiveSettings::ownServerShown() const {
    const auto* servers = requiredControl<QComboBox>(&m_dialog, QStringLiteral("ComboBox1"));
    return servers && servers->currentIndex() == SettingsStore::kOwnServer;
}

void LiveSettings::LoadSettings() {
    show(SettingsStore::load(configFile()));
    // Selecting a list entry in code is no user's change and stays quiet: take them all now.
    refresh();
}

void LiveSettings::show(const Settings& stored) {
    for (const SettingKey& key : SettingsStore::keys()) {
        if (key.ownServerOnly && !ownServerShown())
            continue;
        switch (key.kind) {
        case SettingKind::Check:
            if (auto* box = requiredControl<QCheckBox>(&m_dialog, key.control)) {
                const bool value = stored.*std::get<bool Settings::*>(key.field);
                // As a user's click would, so that the box's click handler runs (checking
                // "durchsichtig" checks "Hintergrundbild entfernen" too).
                if (box->isChecked() != value && box->isEnabled())
                    box->click();
                box->setChecked(value);
            }
            break;
        case SettingKind::Text:
            if (auto* edit = requiredControl<QLineEdit>(&m_dialog, key.control))
                edit->setText(stored.*std::get<QString Settings::*>(key.field));
            break;
        case SettingKind::ItemIndex:
            if (auto* list = requiredControl<QComboBox>(&m_dialog, key.control)) {
                const int index = stored.*std::get<int Settings::*>(key.field);
                // Selecting in code is no user's change: the list's change handler stays quiet.
                const QSignalBlocker quiet(list);
                list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
            }
            break;
        case SettingKind::Position:
            if (auto* bar = requiredControl<QAbstractSlider>(&m_dialog, key.control))
                bar->setValue(std::clamp(stored.*std::get<int Settings::*>(key.field),
                                         bar->minimum(), bar->maximum()));
            break;
        case SettingKind::MenuCheck:
            if (auto* item = requiredControl<QAction>(forms().Form1, key.control))
                item->setChecked(stored.*std::get<bool Settings::*>(key.field));
            break;
        case SettingKind::WindowPlace:
            // Kept by its window, which reads the value when it opens.
            m_live.*std::get<int Settings::*>(key.field) =
                stored.*std::get<int Settings::*>(key.field);
            break;
        case SettingKind::Port: {
            const int port = stored.*std::get<int Settings::*>(key.field);
            if (TForm1* main = forms().Form1)
                setMirrorPort(*main, port);
            if (auto* edit = requiredControl<QLineEdit>(&m_dialog, key.control))
                edit->setText(QString::number(port));
            break;
        }
        }
    }
}

void LiveSettings::ApplySettings() {
    // The value follows the controls while the steps below change some of them.
    const Settings& s = m_live;
    TForm1* main = forms().Form1;
    if (main && main->effects) {
        WindowEffects& effects = *main->effects;
        effects.settleWidth();
        effects.setLogoCycling(!s.logoBlinkOff);
        effects.setBackgroundVisible(!s.backgroundHidden);
        effects.setScrollFollowDisabled(s.scrollEffectOff);
    }
    if (main)
        setMirrorPort(*main, StrToInt(s.mirrorPortText));
    if (main && main->effects)
        main->effects->setSeeThrough(s.seeThrough);
    if (main && s.libraryServer == SettingsStore::kOwnServer)
        setLibraryCredentials(*main, s.libraryAddress, s.libraryUser, s.libraryPassword);

    // The port now in effect is the one stored. Written once, into the copy read at start.
    refresh();
    IniFile& file = configFile();
    SettingsStore::write(file, s);
    file.save();

    applyMidiOutputDevice(m_dialog);
    if (main) {
        const bool midi = s.midiOutput;
        main->MIDIOut1->setChecked(midi);
        if (midi) {
            main->FMSynthese1->setChecked(false);
            main->Beeper1->setChecked(false);
        } else {
            main->Beeper1->setChecked(true);
        }
    }
    restartMidiInput(m_dialog);
}

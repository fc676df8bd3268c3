#include "gui/SettingsMidiPage.h"

#include "audio/MidiInput.h"
#include "audio/MidiOutput.h"
#include "audio/SoundDevice.h"
#include "gui/Controls.h"
#include "base/Guard.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

#include <chrono>
#include <thread>

namespace {

QGroupBox* group(QWidget* parent, const QString& name, const QString& title, const QRect& rect) {
    return placed(new QGroupBox(title, parent), name, rect);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top) {
    auto* l = named(new QLabel(text, parent), name);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QToolButton* glyphButton(QWidget* parent, const QString& name, const QRect& rect) {
    auto* button = placed(new QToolButton(parent), name, rect);
    button->setIconSize(QSize(18, 18));
    button->setAutoRaise(false);
    return button;
}

/// An eighth note: the melody glyph.
QIcon melodyGlyph() {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(3, 11, 6, 5));
    p.drawLine(QPointF(8.5, 13), QPointF(8.5, 2));
    QPainterPath flag;
    flag.moveTo(8.5, 2);
    flag.cubicTo(12, 4, 15, 6, 13, 10);
    p.setBrush(Qt::NoBrush);
    p.drawPath(flag);
    return QIcon(pixmap);
}

/// A drum with two sticks: the percussion glyph.
QIcon drumGlyph() {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.4));
    p.setBrush(QColor(200, 40, 40));
    p.drawRect(QRectF(3, 9, 12, 6));
    p.setBrush(QColor(235, 235, 235));
    p.drawEllipse(QRectF(3, 7, 12, 4));
    p.drawLine(QPointF(2, 2), QPointF(8, 8));
    p.drawLine(QPointF(16, 2), QPointF(10, 8));
    return QIcon(pixmap);
}

void waitMs(const TMidiOutput* output, int ms) {
    if (!(output->support() & kMidiCapsStream)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    // The built-in synthesizer sounds on the sound device's clock, which may run slower or
    // faster than the steady clock: the note is held for that many of its samples.
    SoundDevice& device = SoundDevice::instance();
    const std::uint64_t until =
        device.playedSamples() + std::uint64_t(ms) * SoundDevice::kSampleRate / 1000;
    while (device.playedSamples() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

} // namespace

const QStringList& SettingsMidiPage::instrumentNames() {
    static const QStringList names = {"Acoustic Grand Piano",
                                      "Bright Acoustic Piano",
                                      "Electric Grand Piano",
                                      "Honky-tonk Piano",
                                      "Electric Piano 1",
                                      "Electric Piano 2",
                                      "Harpsichord",
                                      "Clavi",
                                      "Celesta",
                                      "Glockenspiel",
                                      "Music Box",
                                      "Vibraphone",
                                      "Marimba",
                                      "Xylophone",
                                      "Tubular Bells",
                                      "Dulcimer",
                                      "Organ",
                                      "Percussive Organ",
                                      "Rock Organ",
                                      "Church Organ",
                                      "Reed Organ",
                                      "Accordion",
                                      "Harmonica",
                                      "Tango Accordion",
                                      "Acoustic Guitar (nylon)",
                                      "Acoustic Guitar (steel)",
                                      "Electric Guitar (jazz)",
                                      "Electric Guitar (clean)",
                                      "Electric Guitar (muted)",
                                      "Overdriven Guitar",
                                      "Distortion Guitar",
                                      "Guitar harmonics",
                                      "Acoustic Bass",
                                      "Electric Bass (finger)",
                                      "Electric Bass (pick)",
                                      "Fretless Bass",
                                      "Slap Bass 1",
                                      "Slap Bass 2",
                                      "Synth Bass 1",
                                      "Synth Bass 2",
                                      "Violin",
                                      "Viola",
                                      "Cello",
                                      "Contrabass",
                                      "Tremolo Strings",
                                      "Pizzicato Strings",
                                      "Orchestral Harp",
                                      "Timpani",
                                      "String Ensemble 1",
                                      "String Ensemble 2",
                                      "Synth Strings 1",
                                      "Synth Strings 2",
                                      "Voice Aahs",
                                      "Voice Oohs",
                                      "Synth Voice",
                                      "Orchestra Hit",
                                      "Trumpet",
                                      "Trombone",
                                      "Tuba",
                                      "Muted Trumpet",
                                      "French horn",
                                      "Brass Section",
                                      "Synth Brass 1",
                                      "Synth Brass 2",
                                      "Soprano Sax",
                                      "Alto Sax",
                                      "Tenor Sax",
                                      "Baritone Sax",
                                      "Oboe",
                                      "English Horn",
                                      "Bassoon",
                                      "Clarinet",
                                      "Piccolo",
                                      "Flute",
                                      "Recorder",
                                      "Pan Flute",
                                      "Blown Bottle",
                                      "Shakuhachi",
                                      "Whistle",
                                      "Ocarina",
                                      "Lead 1 (square)",
                                      "Lead 2 (sawtooth)",
                                      "Lead 3 (calliope)",
                                      "Lead 4 (chiff)",
                                      "Lead 5 (charang)",
                                      "Lead 6 (voice)",
                                      "Lead 7 (fifths)",
                                      "Lead 8 (bass + lead)",
                                      "Pad 1 (new age)",
                                      "Pad 2 (warm)",
                                      "Pad 3 (polysynth)",
                                      "Pad 4 (choir)",
                                      "Pad 5 (bowed)",
                                      "Pad 6 (metallic)",
                                      "Pad 7 (halo)",
                                      "Pad 8 (sweep)",
                                      "FX 1 (rain)",
                                      "FX 2 (soundtrack)",
                                      "FX 3 (crystal)",
                                      "FX 4 (atmosphere)",
                                      "FX 5 (brightness)",
                                      "FX 6 (goblins)",
                                      "FX 7 (echoes)",
                                      "FX 8 (sci-fi)",
                                      "Sitar",
                                      "Banjo",
                                      "Shamisen",
                                      "Koto",
                                      "Kalimba",
                                      "Bagpipe",
                                      "Fiddle",
                                      "Shanai",
                                      "Tinkle Bell",
                                      "Agogo Bells",
                                      "Steel Drums",
                                      "Woodblock",
                                      "Taiko Drum",
                                      "Melodic Tom",
                                      "Synth Drum",
                                      "Reverse Cymbal",
                                      "Guitar Fret Noise",
                                      "Breath Noise",
                                      "Seashore",
                                      "Bird Tweet",
                                      "Telephone Ring",
                                      "Helicopter",
                                      "Applause",
                                      "Gunshot"};
    return names;
}

const QStringList& SettingsMidiPage::drumNames() {
    static const QStringList names = {
        "Bass Drum 2",     "Bass Drum 1",     "Side Stick",    "Snare Drum 1",  "Hand Clap",
        "Snare Drum 2",    "Low Tom 2",       "Closed Hi-hat", "Low Tom 1",     "Open Hi-hat",
        "Mid Tom 1",       "Crash Cymbal 1",  "High Tom 2",    "High Tom 1",    "Ride Cymbal 1",
        "Chinese Cymbal",  "Ride Bell",       "Tambourine",    "Splash Cymbal", "Cowbell",
        "Crash Cymbal 2",  "Vibra Slap",      "Ride Cymbal 2", "High Bongo",    "Low Bongo",
        "Mute High Conga", "Open High Conga", "Low Conga",     "High Timbale",  "Low Timbale",
        "High Agogo",      "Low Agogo",       "Cabasa",        "Maracas",       "Short Whistle",
        "Long Whistle",    "Short Guiro",     "Long Guiro",    "Claves",        "High Wood Block",
        "Low Wook Block",  "Mute Cuica",      "Open Cuica",    "Mute Triangle", "Open Triangle"};
    return names;
}

SettingsMidiPage::SettingsMidiPage(TForm6& dialog) : QObject(&dialog), m_dialog(dialog) {
    setObjectName(QStringLiteral("SettingsMidiPage"));
    buildOutput();
    buildInstruments();
    buildInput();
    listDevices();
}

SettingsMidiPage::~SettingsMidiPage() = default;

void SettingsMidiPage::buildOutput() {
    QWidget* page = m_dialog.pageMIDI;
    GroupBox9 = group(page, QStringLiteral("GroupBox9"), QStringLiteral("MIDI Ausgang"),
                      QRect(8, 4, 401, 236));
    GroupBox7 = group(GroupBox9, QStringLiteral("GroupBox7"), QStringLiteral("Optionen"),
                      QRect(8, 16, 385, 74));
    cbMIDI = placed(new QCheckBox(QStringLiteral("MIDI Output aktivieren"), GroupBox7),
                    QStringLiteral("cbMIDI"), QRect(8, 18, 300, 20));
    Label17 = label(GroupBox7, QStringLiteral("Label17"), QStringLiteral("MIDI Gerät"), 8, 47);
    combMidiG =
        placed(new QComboBox(GroupBox7), QStringLiteral("combMidiG"), QRect(88, 42, 289, 24));
    m_dialog.GroupBox9 = GroupBox9;
    m_dialog.GroupBox7 = GroupBox7;
    m_dialog.cbMIDI = cbMIDI;
}

void SettingsMidiPage::buildInstruments() {
    GroupBox8 = group(GroupBox9, QStringLiteral("GroupBox8"),
                      QStringLiteral("General MIDI Instrument"), QRect(8, 94, 385, 136));

    melody = glyphButton(GroupBox8, QStringLiteral("melody"), QRect(0, 0, 25, 25));
    melody->setIcon(melodyGlyph());
    melody->hide();
    drum = glyphButton(GroupBox8, QStringLiteral("drum"), QRect(0, 0, 25, 25));
    drum->setIcon(drumGlyph());
    drum->hide();

    const auto track = [this](int row, QLabel*& caption, const QString& captionName,
                              const QString& captionText, QToolButton*& toggleButton,
                              const QString& toggleName, QComboBox*& instrument,
                              const QString& instrumentName, QComboBox*& drums,
                              const QString& drumsName, QToolButton*& test, const QString& testName,
                              QSlider*& velocity, const QString& velocityName, QLabel*& channel,
                              const QString& channelName, int ownChannel) {
        const int top = 18 + row * 58;
        caption = label(GroupBox8, captionName, captionText, 8, top + 4);
        toggleButton = glyphButton(GroupBox8, toggleName, QRect(56, top, 25, 25));
        toggleButton->setToolTip(QString::fromLatin1(kMelody));
        toggleButton->setIcon(melody->icon());
        instrument = placed(new QComboBox(GroupBox8), instrumentName, QRect(88, top, 209, 24));
        instrument->addItems(instrumentNames());
        instrument->setCurrentIndex(0);
        instrument->setMaxVisibleItems(16);
        drums = placed(new QComboBox(GroupBox8), drumsName, QRect(88, top, 209, 24));
        drums->addItems(drumNames());
        drums->setCurrentIndex(0);
        drums->setMaxVisibleItems(16);
        drums->hide();
        test = glyphButton(GroupBox8, testName, QRect(304, top, 25, 25));
        test->setIcon(GroupBox8->style()->standardIcon(QStyle::SP_MediaPlay));
        test->setToolTip(QStringLiteral("Test"));
        channel = label(GroupBox8, channelName, QString::number(ownChannel), 340, top + 4);
        channel->setToolTip(QStringLiteral("MIDI-Kanal"));
        velocity = placed(new QSlider(Qt::Horizontal, GroupBox8), velocityName,
                          QRect(88, top + 27, 209, 24));
        velocity->setRange(1, 127);
        velocity->setValue(100);
        velocity->setToolTip(QStringLiteral("Velocity"));
    };
    track(0, Label18, QStringLiteral("Label18"), QStringLiteral("Spur 1"), BitBtn3,
          QStringLiteral("BitBtn3"), cbMidiNote1, QStringLiteral("cbMidiNote1"), cbDrum1,
          QStringLiteral("cbDrum1"), BitBtn1, QStringLiteral("BitBtn1"), TrackBar1,
          QStringLiteral("TrackBar1"), laKanal1, QStringLiteral("laKanal1"), 1);
    track(1, Label19, QStringLiteral("Label19"), QStringLiteral("Spur 2"), BitBtn4,
          QStringLiteral("BitBtn4"), cbMidiNote2, QStringLiteral("cbMidiNote2"), cbDrum2,
          QStringLiteral("cbDrum2"), BitBtn2, QStringLiteral("BitBtn2"), TrackBar2,
          QStringLiteral("TrackBar2"), laKanal2, QStringLiteral("laKanal2"), 2);

    connectGuarded(BitBtn1, &QToolButton::clicked, this, [this] { BitBtn1Click(); });
    connectGuarded(BitBtn2, &QToolButton::clicked, this, [this] { BitBtn2Click(); });
    connectGuarded(BitBtn3, &QToolButton::clicked, this, [this] { BitBtn3Click(); });
    connectGuarded(BitBtn4, &QToolButton::clicked, this, [this] { BitBtn4Click(); });
}

void SettingsMidiPage::buildInput() {
    GroupBox10 = group(m_dialog.pageMIDI, QStringLiteral("GroupBox10"),
                       QStringLiteral("MIDI Eingang"), QRect(8, 244, 401, 92));
    cbMidiwait = placed(new QCheckBox(QStringLiteral("Auf MIDI Befehle Warten"), GroupBox10),
                        QStringLiteral("cbMidiwait"), QRect(16, 18, 370, 20));
    cbBPMMidi =
        placed(new QCheckBox(QStringLiteral("Länge bei der BPM Tabelle wählen"), GroupBox10),
               QStringLiteral("cbBPMMidi"), QRect(16, 40, 370, 20));
    Label20 = label(GroupBox10, QStringLiteral("Label20"), QStringLiteral("MIDI Gerät"), 16, 66);
    cbMidiIn =
        placed(new QComboBox(GroupBox10), QStringLiteral("cbMidiIn"), QRect(96, 62, 289, 24));
}

void SettingsMidiPage::listDevices() {
    MidiOutput = new TMidiOutput(this);
    MidiOutput->setObjectName(QStringLiteral("MidiOutput"));
    for (int id = 0; id < int(MidiOutput->deviceCount()); ++id) {
        MidiOutput->setDeviceID(id);
        combMidiG->addItem(MidiOutput->ProductName());
    }
    combMidiG->setCurrentIndex(0);
    if (MidiOutput->deviceCount() > 0)
        MidiOutput->setDeviceID(0);

    // A system without MIDI input has no input object; the dialog says so in its hint.
    try {
        auto input = std::make_unique<TMidiInput>(this);
        input->setObjectName(QStringLiteral("MidiInput"));
        for (unsigned id = 0; id < input->deviceCount(); ++id) {
            input->setDeviceID(id);
            cbMidiIn->addItem(input->ProductName());
        }
        MidiInput = input.release();
    } catch (const AppError&) {
        MidiInput = nullptr;
        m_dialog.setToolTip(QStringLiteral("NOMIDIIN"));
    }
    cbMidiIn->setCurrentIndex(0);
}

bool SettingsMidiPage::drumMode(int track) const {
    const QToolButton* button = track == 1 ? BitBtn3 : BitBtn4;
    return button->toolTip() != QLatin1String(kMelody);
}

void SettingsMidiPage::testInstrument(QComboBox* instrument, QComboBox* drums,
                                      QToolButton* toggleButton, QSlider* velocity) {
    MidiOutput->Close();
    MidiOutput->setDeviceID(combMidiG->currentIndex());
    emit outputDeviceChanged();
    MidiOutput->Open();
    const auto closeAtEnd = qScopeGuard([this] { MidiOutput->Close(); });
    const auto program = std::uint8_t(instrument->currentIndex());
    if (toggleButton->toolTip() == QLatin1String(kMelody)) {
        MidiOutput->SendShortMessage(0xC0, program, 0);
        MidiOutput->SendShortMessage(0x90, 72, std::uint8_t(velocity->value()));
        waitMs(MidiOutput, 1000);
        MidiOutput->SendShortMessage(0x80, 72, 64);
    } else {
        const auto key = std::uint8_t(kFirstDrumKey + drums->currentIndex());
        MidiOutput->SendShortMessage(0xC0, program, 0);
        MidiOutput->SendShortMessage(0x99, key, 64);
        waitMs(MidiOutput, 1000);
        MidiOutput->SendShortMessage(0x89, key, 64);
    }
}

void SettingsMidiPage::BitBtn1Click() {
    testInstrument(cbMidiNote1, cbDrum1, BitBtn3, TrackBar1);
}

void SettingsMidiPage::BitBtn2Click() {
    testInstrument(cbMidiNote2, cbDrum2, BitBtn4, TrackBar2);
}

void SettingsMidiPage::toggle(QToolButton* button, QComboBox* instrument, QComboBox* drums,
                              QLabel* channel, int ownChannel) {
    const bool toMelody = button->toolTip() != QLatin1String(kMelody);
    button->setToolTip(QString::fromLatin1(toMelody ? kMelody : kDrum));
    button->setIcon(toMelody ? melody->icon() : drum->icon());
    instrument->setVisible(toMelody);
    drums->setVisible(!toMelody);
    channel->setText(QString::number(toMelody ? ownChannel : 10));
}

void SettingsMidiPage::BitBtn3Click() {
    toggle(BitBtn3, cbMidiNote1, cbDrum1, laKanal1, 1);
}

void SettingsMidiPage::BitBtn4Click() {
    toggle(BitBtn4, cbMidiNote2, cbDrum2, laKanal2, 2);
}

void SettingsMidiPage::ApplyMidiSettings() {
    MidiOutput->setDeviceID(combMidiG->currentIndex());
    emit outputDeviceChanged();
    TForm1* main = forms().Form1;
    if (!main)
        return;
    if (cbMIDI->isChecked()) {
        main->MIDIOut1->setChecked(true);
        main->FMSynthese1->setChecked(false);
        main->Beeper1->setChecked(false);
    } else {
        main->MIDIOut1->setChecked(false);
        main->Beeper1->setChecked(true);
    }
}

void SettingsMidiPage::setPlaybackLock(bool playing) {
    BitBtn1->setEnabled(!playing);
    BitBtn2->setEnabled(!playing);
    m_dialog.btUe->setEnabled(!playing);
    m_dialog.btOk->setEnabled(!playing);
}

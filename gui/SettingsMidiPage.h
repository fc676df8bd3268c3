#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSlider;
class QToolButton;
class TForm6;
class TMidiInput;
class TMidiOutput;

/// The "MIDI" page of the settings dialog: output device, the instrument or percussion sound
/// of each track, velocities, the instrument tests, and the input device. Its controls are
/// children of the dialog and carry their design names; the dialog's own MIDI objects list
/// the devices and hold the chosen output device.
class SettingsMidiPage final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsMidiPage)

public:
    explicit SettingsMidiPage(TForm6& dialog);
    ~SettingsMidiPage() override;

    /// The General MIDI programs 0 … 127, as the instrument lists show them.
    static const QStringList& instrumentNames();
    /// The percussion sounds; entry i sends key 35 + i.
    static const QStringList& drumNames();
    static constexpr int kFirstDrumKey = 35;
    static constexpr const char* kMelody = "Melody";
    static constexpr const char* kDrum = "Drum";

    // "MIDI Ausgang"
    QGroupBox* GroupBox9 = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QCheckBox* cbMIDI = nullptr;
    QLabel* Label17 = nullptr;
    QComboBox* combMidiG = nullptr;
    QGroupBox* GroupBox8 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QComboBox* cbMidiNote1 = nullptr;
    QComboBox* cbMidiNote2 = nullptr;
    QComboBox* cbDrum1 = nullptr;
    QComboBox* cbDrum2 = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QToolButton* BitBtn3 = nullptr;
    QToolButton* BitBtn4 = nullptr;
    QToolButton* melody = nullptr;
    QToolButton* drum = nullptr;
    QSlider* TrackBar1 = nullptr;
    QSlider* TrackBar2 = nullptr;
    /// The channel each track sounds on: its own, or 10 for percussion.
    QLabel* laKanal1 = nullptr;
    QLabel* laKanal2 = nullptr;

    // "MIDI Eingang"
    QGroupBox* GroupBox10 = nullptr;
    QCheckBox* cbMidiwait = nullptr;
    QCheckBox* cbBPMMidi = nullptr;
    QLabel* Label20 = nullptr;
    QComboBox* cbMidiIn = nullptr;

    /// The dialog's output object: lists the devices, runs the tests, holds the chosen device.
    TMidiOutput* MidiOutput = nullptr;
    /// The dialog's input object; none when the system has no MIDI input.
    TMidiInput* MidiInput = nullptr;

    /// Whether track 1 / 2 plays a percussion sound (its toggle's hint reads "Drum").
    bool drumMode(int track) const;

    // Handlers.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    /// The MIDI part of applying the settings: the chosen output device and the output
    /// check marks of the main menu.
    void ApplyMidiSettings();
    /// Enables or disables what may not run during MIDI playback: the tests, "Übernehmen", "OK".
    void setPlaybackLock(bool playing);

signals:
    /// The output object's device changed (an instrument test, "OK", "Übernehmen").
    void outputDeviceChanged();

private:
    void buildOutput();
    void buildInstruments();
    void buildInput();
    void listDevices();
    void testInstrument(QComboBox* instrument, QComboBox* drums, QToolButton* toggle,
                        QSlider* velocity);
    void toggle(QToolButton* button, QComboBox* instrument, QComboBox* drums, QLabel* channel,
                int ownChannel);

    TForm6& m_dialog;
};

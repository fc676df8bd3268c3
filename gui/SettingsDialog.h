#pragma once

#include <QDialog>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class SettingsMidiPage;
class SettingsNetworkPage;
class LiveSettings;
struct Settings;

/// The settings dialog: eight pages whose controls hold the program's settings while it runs.
/// Other windows read these controls directly.
class TForm6 final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm6)

public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    QTabWidget* TabbedNotebook1 = nullptr;
    QWidget* pageAnzeige = nullptr;
    QWidget* pageMulTiZ1rp = nullptr;
    QWidget* pageOnlineDB = nullptr;
    QWidget* pageKlaviatur = nullptr;
    QWidget* pageSynthese = nullptr;
    QWidget* pageMIDI = nullptr;
    QWidget* pageCredits = nullptr;
    QWidget* pageInfo = nullptr;
    QPushButton* btUe = nullptr;
    QPushButton* btOk = nullptr;

    // "Anzeige"
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* cbblink = nullptr;
    QCheckBox* cbbg = nullptr;
    QCheckBox* cbscroll = nullptr;
    QCheckBox* cbtrans = nullptr;
    QCheckBox* cbBMMINFO = nullptr;
    QGroupBox* Sprache = nullptr;
    QComboBox* cbSprache = nullptr;
    QLabel* Label16 = nullptr;

    // "Klaviatur"
    QGroupBox* GroupBox5 = nullptr;
    QLabel* imgKlaviatur = nullptr;
    QLineEdit* edC = nullptr;
    QLineEdit* edD = nullptr;
    QLineEdit* edE = nullptr;
    QLineEdit* edF = nullptr;
    QLineEdit* edG = nullptr;
    QLineEdit* edA = nullptr;
    QLineEdit* edB = nullptr;
    QLineEdit* edCr = nullptr;
    QLineEdit* edDr = nullptr;
    QLineEdit* edFr = nullptr;
    QLineEdit* edGr = nullptr;
    QLineEdit* edAr = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QCheckBox* cbNotenhinzu = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* ComboBox2 = nullptr;

    // "Synthese"
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* laMuted = nullptr;
    QSlider* tbfm = nullptr;
    QGroupBox* rgTon = nullptr;
    QButtonGroup* rgTonItems = nullptr;

    // "MIDI"
    QGroupBox* GroupBox9 = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QCheckBox* cbMIDI = nullptr;
    /// The rest of the page: devices, instruments, velocities, tests, input.
    SettingsMidiPage* midiPage = nullptr;
    SettingsNetworkPage* networkPage = nullptr;

    // "Credits"
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label15 = nullptr;

    // "Info"
    QPlainTextEdit* mInfo = nullptr;

    /// The credits picture has been moved by the first click on a tab.
    bool CreditsShifted = false;
    /// The running program's settings value (forms().settings), bound to these controls:
    /// loads and stores them.
    std::unique_ptr<LiveSettings> live;
    /// What the controls and the menu's output check marks show now.
    const Settings& settings() const;
    /// Whether the dialog could create its MIDI input object (it lists the input devices).
    bool hasMidiInput() const { return m_hasMidiInput; }
    /// True from creation until the start-up library connection has been attempted, which
    /// happens once the main window is on the screen.
    bool libraryConnectionPending() const { return m_libraryConnectionPending; }

    /// Index of the selected waveform of rgTon: 0 sine, 1 square, 2 square root, 3 noise.
    int rgTonItemIndex() const;
    void setRgTonItemIndex(int index);

    /// Creation: the Info text, the stored settings, the MIDI devices, the library connection
    /// (made once the main window is shown) and, when stored, the English texts.
    void FormCreate();
    void Einstellungen1Click();
    /// The waveform output's volume follows the track bar; "Muted" shows at 0.
    void tbfmChange();
    void cbtransClick();
    void btOkClick();
    void btUeClick();
    void TabbedNotebook1Click();
    void LoadSettings();
    void ApplySettings();

private:
    void buildAnzeige();
    void buildKlaviatur();
    void buildSynthese();
    void buildMidi();
    void buildCredits();
    void buildInfo();
    void connectLibraryAtStart();

    bool m_hasMidiInput = false;
    bool m_libraryConnectionPending = false;
};

#pragma once

#include "settings/Settings.h"

#include <QObject>
#include <QTime>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TForm6;

/// The settings dialog's network controls: the mirror port on the "MulTiZ1rp" page and the
/// library server on the "OnlineDB" page, with their handlers. The controls are children of
/// the dialog's pages and carry their given object names (`edPort`, `Button2`, `RadioGroup1`,
/// `ComboBox1`, `edAdresse`, `edUser`, `edPw`, `cbAutoconnect`, `Label13`, `Label12`,
/// `btTestcon`, …), so the settings store finds them by name.
///
/// For the settings store:
/// - loading: loadMirrorPort() with the stored port;
/// - applying: applyMirrorPort() (raises the integer error or the socket's refusal), then
///   applyOwnServer();
/// - at start, once the settings are loaded: connectAtStart() (also reachable as
///   OnlineLibrary::connectAtStart()).
class SettingsNetworkPage final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsNetworkPage)

public:
    static constexpr int kOwnServerEntry = Settings::kOwnServer;

    explicit SettingsNetworkPage(TForm6& dialog);
    ~SettingsNetworkPage() override;

    // "MulTiZ1rp"
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edPort = nullptr;
    QPushButton* Button2 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioGroup1Item0 = nullptr;
    QRadioButton* RadioGroup1Item1 = nullptr;

    // "OnlineDB"
    QGroupBox* GroupBox4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* edAdresse = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edUser = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* edPw = nullptr;
    QCheckBox* cbAutoconnect = nullptr;
    /// "Passiven Modus erzwingen": passive data connections from the start (behind NAT or a
    /// firewall, where the server cannot connect back).
    QCheckBox* cbPassiv = nullptr;
    QGroupBox* gbTestconnect = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* btTestcon = nullptr;
    QTime ConnectStartTime;
    QTime ConnectEndTime;

    void Button2Click();
    void RadioGroup1Click();
    void ComboBox1Change();
    void btTestconClick();
    /// Puts the chosen preset's credentials in place (only with auto-connect checked).
    void SelectFtpPreset();
    /// Connects to the library and fetches its list; shows the result in the status label.
    void ConnectLibrary();
    /// Shows the time the last connection attempt took, as h:mm:ss:zzz.
    void ShowConnectTime();
    /// The start-up connection: preset, connection and its time.
    void connectAtStart();

    /// The stored port becomes the mirror server's port and the text of `edPort`.
    void loadMirrorPort(int port);
    /// The text of `edPort` becomes the mirror server's port.
    void applyMirrorPort();
    /// With the own server chosen, its address, user and password become the credentials.
    void applyOwnServer();

private:
    void buildMulTiZ1rp(QWidget* page);
    void buildOnlineDB(QWidget* page);
    void setStatus(const QString& text, const QColor& colour);

    TForm6& m_dialog;
};

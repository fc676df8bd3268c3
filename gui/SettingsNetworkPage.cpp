#include "gui/SettingsNetworkPage.h"

#include "gui/Controls.h"
#include "base/Guard.h"
#include "base/StrToInt.h"
#include "net/FtpClient.h"
#include "net/FtpPresets.h"
#include "net/MirrorServer.h"
#include "net/MultiZ1rp.h"
#include "gui/OnlineLibrary.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kDefaultPort = QStringLiteral("1337");

QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top) {
    auto* l = named(new QLabel(text, parent), name);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit* edit(QWidget* parent, const QString& name, const QRect& geometry) {
    return placed(new QLineEdit(parent), name, geometry);
}

TForm1* mainWindow() {
    return forms().Form1;
}

} // namespace

SettingsNetworkPage::SettingsNetworkPage(TForm6& dialog) : QObject(&dialog), m_dialog(dialog) {
    setObjectName(QStringLiteral("SettingsNetworkPage"));
    buildMulTiZ1rp(dialog.pageMulTiZ1rp);
    buildOnlineDB(dialog.pageOnlineDB);
}

SettingsNetworkPage::~SettingsNetworkPage() = default;

void SettingsNetworkPage::buildMulTiZ1rp(QWidget* page) {
    GroupBox3 = placed(new QGroupBox(QStringLiteral("Netzwerkoptionen"), page),
                       QStringLiteral("GroupBox3"), QRect(8, 8, 401, 65));
    Label1 = label(GroupBox3, QStringLiteral("Label1"), QStringLiteral("Netzwerk Port"), 16, 30);
    edPort = edit(GroupBox3, QStringLiteral("edPort"), QRect(120, 26, 73, 21));
    edPort->setText(kDefaultPort);
    Button2 = placed(new QPushButton(QStringLiteral("Standard"), GroupBox3),
                     QStringLiteral("Button2"), QRect(208, 24, 75, 25));
    Button2->setAutoDefault(false);

    RadioGroup1 = placed(new QGroupBox(QStringLiteral("Übertragung"), page),
                         QStringLiteral("RadioGroup1"), QRect(8, 80, 401, 73));
    RadioGroup1Item0 = placed(new QRadioButton(QStringLiteral("LAN"), RadioGroup1),
                              QStringLiteral("RadioGroup1Item0"), QRect(16, 20, 370, 20));
    RadioGroup1Item1 =
        placed(new QRadioButton(QStringLiteral("COM (not implemented yet)"), RadioGroup1),
               QStringLiteral("RadioGroup1Item1"), QRect(16, 44, 370, 20));
    RadioGroup1Item0->setChecked(true);

    connectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    for (QRadioButton* item : {RadioGroup1Item0, RadioGroup1Item1})
        connectGuarded(item, &QRadioButton::clicked, this, [this] { RadioGroup1Click(); });
}

void SettingsNetworkPage::buildOnlineDB(QWidget* page) {
    GroupBox4 = placed(new QGroupBox(QStringLiteral("FTP-Zugang"), page),
                       QStringLiteral("GroupBox4"), QRect(8, 8, 401, 199));
    ComboBox1 =
        placed(new QComboBox(GroupBox4), QStringLiteral("ComboBox1"), QRect(16, 22, 369, 24));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (const FtpPresets::Preset& preset : FtpPresets::presets())
        ComboBox1->addItem(preset.caption);
    ComboBox1->addItem(FtpPresets::kOwnServer);
    ComboBox1->setCurrentIndex(0);

    Label6 = label(GroupBox4, QStringLiteral("Label6"), QStringLiteral("Adresse"), 16, 58);
    edAdresse = edit(GroupBox4, QStringLiteral("edAdresse"), QRect(128, 54, 257, 21));
    Label7 = label(GroupBox4, QStringLiteral("Label7"), QStringLiteral("Benutzername"), 16, 86);
    edUser = edit(GroupBox4, QStringLiteral("edUser"), QRect(128, 82, 257, 21));
    Label8 = label(GroupBox4, QStringLiteral("Label8"), QStringLiteral("Passwort"), 16, 114);
    edPw = edit(GroupBox4, QStringLiteral("edPw"), QRect(128, 110, 257, 21));
    cbAutoconnect =
        placed(new QCheckBox(QStringLiteral("Automatisch verbinden beim Programmstart"), GroupBox4),
               QStringLiteral("cbAutoconnect"), QRect(16, 144, 369, 20));
    cbPassiv = placed(new QCheckBox(QStringLiteral("Passiven Modus erzwingen"), GroupBox4),
                      QStringLiteral("cbPassiv"), QRect(16, 168, 369, 20));

    gbTestconnect = placed(new QGroupBox(QStringLiteral("Verbindungstest"), page),
                           QStringLiteral("gbTestconnect"), QRect(8, 214, 401, 81));
    Label10 = label(gbTestconnect, QStringLiteral("Label10"), QStringLiteral("Status:"), 16, 24);
    Label13 = placed(new QLabel(gbTestconnect), QStringLiteral("Label13"), QRect(72, 24, 200, 16));
    Label11 = label(gbTestconnect, QStringLiteral("Label11"), QStringLiteral("Zeit:"), 16, 50);
    Label12 = placed(new QLabel(gbTestconnect), QStringLiteral("Label12"), QRect(72, 50, 200, 16));
    btTestcon = placed(new QPushButton(QStringLiteral("Testen"), gbTestconnect),
                       QStringLiteral("btTestcon"), QRect(304, 40, 81, 25));
    btTestcon->setAutoDefault(false);
    QFont bold = Label13->font();
    bold.setBold(true);
    Label13->setFont(bold);

    connectGuarded(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connectGuarded(btTestcon, &QPushButton::clicked, this, [this] { btTestconClick(); });
}

void SettingsNetworkPage::Button2Click() {
    edPort->setText(kDefaultPort);
}

void SettingsNetworkPage::RadioGroup1Click() {
    // Only the network transport exists.
    RadioGroup1Item0->setChecked(true);
}

void SettingsNetworkPage::ComboBox1Change() {
    SelectFtpPreset();
}

void SettingsNetworkPage::SelectFtpPreset() {
    if (!cbAutoconnect->isChecked())
        return;
    const int index = ComboBox1->currentIndex();
    TForm1* main = mainWindow();
    if (index >= 0 && index < int(FtpPresets::presets().size())) {
        const FtpPresets::Preset& preset = FtpPresets::presets()[std::size_t(index)];
        // The preset's user name and password are never shown.
        edAdresse->setText(preset.host);
        edAdresse->setEnabled(false);
        edUser->setText(QString(preset.user.size(), QLatin1Char('*')));
        edUser->setEnabled(false);
        edPw->setText(QString(preset.password.size(), QLatin1Char('*')));
        edPw->setEnabled(false);
        if (main) {
            main->FtpHost = preset.host;
            main->FtpUser = preset.user;
            main->FtpPassword = preset.password;
        }
    } else if (index == kOwnServerEntry) {
        for (QLineEdit* field : {edAdresse, edUser, edPw})
            field->setEnabled(true);
    }
}

void SettingsNetworkPage::setStatus(const QString& text, const QColor& colour) {
    Label13->setText(text);
    QPalette palette = Label13->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label13->setPalette(palette);
}

void SettingsNetworkPage::ConnectLibrary() {
    TForm1* main = mainWindow();
    if (!main)
        return;
    try {
        main->library->IdFTP1->setPassive(cbPassiv->isChecked());
        main->library->connectAndFetchList();
        setStatus(QStringLiteral("connected"), QColor(0, 128, 0));
    } catch (const std::exception&) {
        main->setWindowTitle(QStringLiteral("Z1rpW3rk 3.3 - Offline Mode"));
        setStatus(QStringLiteral("not connected"), QColor(255, 0, 0));
    }
}

void SettingsNetworkPage::ShowConnectTime() {
    int ms = ConnectStartTime.msecsTo(ConnectEndTime);
    if (ms < 0) // across midnight
        ms += 24 * 60 * 60 * 1000;
    Label12->setText(QStringLiteral("%1:%2:%3:%4")
                         .arg(ms / 3600000)
                         .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
                         .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                         .arg(ms % 1000, 3, 10, QLatin1Char('0')));
}

void SettingsNetworkPage::btTestconClick() {
    if (TForm1* main = mainWindow())
        main->library->IdFTP1->disconnectFromHost();
    connectAtStart();
}

void SettingsNetworkPage::connectAtStart() {
    SelectFtpPreset();
    ConnectStartTime = QTime::currentTime();
    ConnectLibrary();
    ConnectEndTime = QTime::currentTime();
    ShowConnectTime();
}

void SettingsNetworkPage::loadMirrorPort(int port) {
    if (TForm1* main = mainWindow())
        main->mirror->ssBeep().setPort(port);
    edPort->setText(QString::number(port));
}

void SettingsNetworkPage::applyMirrorPort() {
    const int port = StrToInt(edPort->text());
    if (TForm1* main = mainWindow())
        main->mirror->ssBeep().setPort(port);
}

void SettingsNetworkPage::applyOwnServer() {
    TForm1* main = mainWindow();
    if (!main || ComboBox1->currentIndex() != kOwnServerEntry)
        return;
    main->FtpHost = edAdresse->text();
    main->FtpUser = edUser->text();
    main->FtpPassword = edPw->text();
}

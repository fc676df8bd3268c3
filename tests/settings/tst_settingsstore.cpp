#include "audio/PlaybackEngine.h"
#include "net/MirrorServer.h"
#include "net/MultiZ1rp.h"
#include "settings/ConfigLocation.h"
#include "gui/ControlLookup.h"
#include "gui/SettingsDialog.h"
#include "gui/WindowEffects.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QAbstractSlider>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// The controls that come with the network and MIDI pages of the dialog.
bool fromNetworkPage(const QString& name) {
    static const QStringList names = {"edPort", "ComboBox1", "edAdresse",
                                      "edUser", "edPw",      "cbAutoconnect", "cbPassiv"};
    return names.contains(name);
}

QObject* settingsControl(const QString& name) {
    if (QObject* control = findControl(forms().Form6, name))
        return control;
    return findControl(forms().Form1, name);
}

// A control's state as it stands in the file.
QString stateOf(QObject* control) {
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return box->isChecked() ? "1" : "0";
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* list = qobject_cast<QComboBox*>(control))
        return QString::number(list->currentIndex());
    if (auto* bar = qobject_cast<QAbstractSlider*>(control))
        return QString::number(bar->value());
    if (auto* item = qobject_cast<QAction*>(control))
        return item->isChecked() ? "1" : "0";
    return "?";
}

void setState(QObject* control, const QString& value) {
    if (auto* box = qobject_cast<QCheckBox*>(control))
        box->setChecked(value == "1");
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(value);
    else if (auto* list = qobject_cast<QComboBox*>(control))
        list->setCurrentIndex(value.toInt());
    else if (auto* bar = qobject_cast<QAbstractSlider*>(control))
        bar->setValue(value.toInt());
    else if (auto* item = qobject_cast<QAction*>(control))
        item->setChecked(value == "1");
}

// Skips a row whose control another part of the dialog brings and is not built yet.
#define REQUIRE_CONTROL(name)                                                                      \
    do {                                                                                           \
        if (!settingsControl(name)) {                                                              \
            if (fromNetworkPage(name))                                                             \
                QSKIP(qPrintable(QString("%1 comes with the network page").arg(name)));            \
            QFAIL(qPrintable(QString("control %1 is missing").arg(name)));                         \
        }                                                                                          \
    } while (false)

/// The port field, or where the dialog is built without its network page, a stand-in of that
/// name: applying the settings reads the field by name.
QLineEdit* portField() {
    if (auto* field = findControlAs<QLineEdit>(forms().Form6, "edPort"))
        return field;
    auto* standIn = new QLineEdit(QStringLiteral("1337"), forms().Form6);
    standIn->setObjectName("edPort");
    return standIn;
}

/// The file a first start writes on "OK".
const QByteArray kFirstStartFile = "[Anzeige]\r\n"
                                   "Blinkeffekt=1\r\n"
                                   "Background=0\r\n"
                                   "Scrolleffekt=0\r\n"
                                   "Durchsichtig=0\r\n"
                                   "[MulTiZ1rp]\r\n"
                                   "Port=1337\r\n"
                                   "[OnlineDB]\r\n"
                                   "Auswahl=0\r\n"
                                   "Autoconnect=0\r\n"
                                   "[Klavier]\r\n"
                                   "KlaviaturC=a\r\n"
                                   "KlaviaturCr=w\r\n"
                                   "KlaviaturD=s\r\n"
                                   "KlaviaturDr=e\r\n"
                                   "KlaviaturE=d\r\n"
                                   "KlaviaturF=f\r\n"
                                   "KlaviaturFr=t\r\n"
                                   "KlaviaturG=g\r\n"
                                   "KlaviaturGr=z\r\n"
                                   "KlaviaturA=h\r\n"
                                   "KlaviaturAr=u\r\n"
                                   "KlaviaturB=j\r\n"
                                   "Add=1\r\n"
                                   "Skin=2\r\n"
                                   "[FM]\r\n"
                                   "Volume=80\r\n"
                                   "Enabled=0\r\n"
                                   "[Sprache]\r\n"
                                   "Sprache=0\r\n"
                                   "[BMM]\r\n"
                                   "Info=0\r\n";

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString configPath() const { return m_dir.filePath("Config.ini"); }

private slots:
    void init() { QFile::remove(configPath()); }

    void loaded_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const QByteArray none;
        QTest::newRow("no file: logo does not blink") << none << "cbblink"
                                                      << "1";
        QTest::newRow("no file: background kept") << none << "cbbg"
                                                  << "0";
        QTest::newRow("no file: port") << none << "edPort"
                                       << "1337";
        QTest::newRow("no file: first server") << none << "ComboBox1"
                                               << "0";
        QTest::newRow("no file: skin Klavier normal") << none << "ComboBox2"
                                                      << "2";
        QTest::newRow("no file: volume") << none << "tbfm"
                                         << "80";
        QTest::newRow("no file: Deutsch") << none << "cbSprache"
                                          << "0";
        QTest::newRow("no file: key of C") << none << "edC"
                                           << "a";
        QTest::newRow("no file: key of A#") << none << "edAr"
                                            << "u";
        QTest::newRow("no file: notes added") << none << "cbNotenhinzu"
                                              << "1";
        QTest::newRow("no file: FM-Synthese") << none << "FMSynthese1"
                                              << "0";
        const QByteArray seeThrough = "[Anzeige]\r\nDurchsichtig=1\r\nBackground=0\r\n";
        QTest::newRow("see-through checks background box") << seeThrough << "cbbg"
                                                           << "1";
        QTest::newRow("see-through itself") << seeThrough << "cbtrans"
                                            << "1";
        QTest::newRow("port 0x539") << QByteArray("[MulTiZ1rp]\nPort=0x539\n") << "edPort"
                                    << "1337";
        QTest::newRow("port not a number") << QByteArray("[MulTiZ1rp]\nPort=vierzehn\n") << "edPort"
                                           << "1337";
        QTest::newRow("volume 250") << QByteArray("[FM]\nVolume=250\n") << "tbfm"
                                    << "100";
        QTest::newRow("volume -5") << QByteArray("[FM]\nVolume=-5\n") << "tbfm"
                                   << "0";
        QTest::newRow("server 9") << QByteArray("[OnlineDB]\nAuswahl=9\n") << "ComboBox1"
                                  << "-1";
        QTest::newRow("skin 3") << QByteArray("[Klavier]\nSkin=3\n") << "ComboBox2"
                                << "-1";
        QTest::newRow("skin not a number") << QByteArray("[Klavier]\nSkin=hart\n") << "ComboBox2"
                                           << "2";
        QTest::newRow("names without case") << QByteArray("[ANZEIGE]\nblinkEFFEKT=0\n") << "cbblink"
                                            << "0";
        QTest::newRow("FM enabled") << QByteArray("[FM]\nEnabled=1\n") << "FMSynthese1"
                                    << "1";
        QTest::newRow("English") << QByteArray("[Sprache]\nSprache=1\n") << "cbSprache"
                                 << "1";
        QTest::newRow("key letter") << QByteArray("[Klavier]\nKlaviaturGr=  q  \n") << "edGr"
                                    << "q";
        QTest::newRow("BMM info") << QByteArray("[BMM]\nInfo=1\n") << "cbBMMINFO"
                                  << "1";
        QTest::newRow("own server fields read with entry 5")
            << QByteArray("[OnlineDB]\nAuswahl=5\nAdresse=songs.lan\n") << "edAdresse"
            << "songs.lan";
        QTest::newRow("own server fields ignored with a preset")
            << QByteArray("[OnlineDB]\nAuswahl=1\nUser=ich\n") << "edUser"
            << "";
    }
    void loaded() {
        QFETCH(QByteArray, file);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        if (!file.isNull())
            writeBytes(configPath(), file);
        AppFixture app(configPath());
        REQUIRE_CONTROL(control);
        QCOMPARE(stateOf(settingsControl(control)), expected);
    }

    void volumeReachesSynthesis_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("volume");
        QTest::newRow("no file") << QByteArray() << 80;
        QTest::newRow("250 clamped") << QByteArray("[FM]\nVolume=250\n") << 100;
        QTest::newRow("0") << QByteArray("[FM]\nVolume=0\n") << 0;
    }
    void volumeReachesSynthesis() {
        QFETCH(QByteArray, file);
        QFETCH(int, volume);
        if (!file.isNull())
            writeBytes(configPath(), file);
        AppFixture app(configPath());
        QCOMPARE(app.main().playback->SynthVolume, volume);
        QCOMPARE(forms().Form6->laMuted->isHidden(), volume != 0);
    }

    void firstStartWritesExactFile() {
        AppFixture app(configPath());
        REQUIRE_CONTROL("edPort");
        QVERIFY(!QFile::exists(configPath()));
        forms().Form6->btOk->click();
        QVERIFY(app.prompts.errors.isEmpty());
        // The described sections exactly, then only sections of later settings.
        const QByteArray bytes = readBytes(configPath());
        QCOMPARE(bytes.left(kFirstStartFile.size()), kFirstStartFile);
        QVERIFY(bytes.mid(kFirstStartFile.size()).startsWith('['));
        QVERIFY(bytes.contains("[Wiedergabe]\r\nZweistimmig=0\r\nSchleife=0\r\nVorhoeren=0\r\n"));
        QVERIFY(bytes.contains("[FTP]\r\nPassiv=0\r\n"));
    }

    void everySettingComesBack_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");
        QTest::newRow("Blinkeffekt") << "cbblink"
                                     << "0";
        QTest::newRow("Background") << "cbbg"
                                    << "1";
        QTest::newRow("Scrolleffekt") << "cbscroll"
                                      << "1";
        QTest::newRow("Durchsichtig") << "cbtrans"
                                      << "1";
        QTest::newRow("Port") << "edPort"
                              << "4242";
        QTest::newRow("Auswahl") << "ComboBox1"
                                 << "3";
        QTest::newRow("Autoconnect") << "cbAutoconnect"
                                     << "1";
        QTest::newRow("Passiv") << "cbPassiv"
                                << "1";
        QTest::newRow("KlaviaturC") << "edC"
                                    << "q";
        QTest::newRow("KlaviaturCr") << "edCr"
                                     << "1";
        QTest::newRow("KlaviaturD") << "edD"
                                    << "y";
        QTest::newRow("KlaviaturDr") << "edDr"
                                     << "2";
        QTest::newRow("KlaviaturE") << "edE"
                                    << "x";
        QTest::newRow("KlaviaturF") << "edF"
                                    << "c";
        QTest::newRow("KlaviaturFr") << "edFr"
                                     << "4";
        QTest::newRow("KlaviaturG") << "edG"
                                    << "v";
        QTest::newRow("KlaviaturGr") << "edGr"
                                     << "5";
        QTest::newRow("KlaviaturA") << "edA"
                                    << "b";
        QTest::newRow("KlaviaturAr") << "edAr"
                                     << "6";
        QTest::newRow("KlaviaturB") << "edB"
                                    << "n";
        QTest::newRow("Add") << "cbNotenhinzu"
                             << "0";
        QTest::newRow("Skin") << "ComboBox2"
                              << "0";
        QTest::newRow("Volume") << "tbfm"
                                << "33";
        QTest::newRow("Enabled") << "FMSynthese1"
                                 << "1";
        QTest::newRow("Sprache") << "cbSprache"
                                 << "1";
        QTest::newRow("BMM Info") << "cbBMMINFO"
                                  << "1";
        QTest::newRow("Zweistimmig") << "Zweistimmig1"
                                     << "1";
        QTest::newRow("Schleife") << "Schleife1"
                                  << "1";
        QTest::newRow("Vorhoeren") << "Vorhoeren1"
                                   << "1";
    }
    void everySettingComesBack() {
        QFETCH(QString, control);
        QFETCH(QString, value);
        {
            AppFixture app(configPath());
            REQUIRE_CONTROL(control);
            QVERIFY(stateOf(settingsControl(control)) != value);
            setState(settingsControl(control), value);
            forms().Form6->btOk->click();
            QVERIFY(app.prompts.errors.isEmpty());
        }
        AppFixture again(configPath());
        QCOMPARE(stateOf(settingsControl(control)), value);
    }

    void ownServerRoundTrip() {
        {
            AppFixture app(configPath());
            REQUIRE_CONTROL("ComboBox1");
            setState(settingsControl("ComboBox1"), "5");
            setState(settingsControl("edAdresse"), "songs.lan:2121");
            setState(settingsControl("edUser"), "anna");
            setState(settingsControl("edPw"), "geheim");
            forms().Form6->btOk->click();
            QVERIFY(app.prompts.errors.isEmpty());
        }
        const QByteArray file = readBytes(configPath());
        QVERIFY(file.contains("[OnlineDB]\r\nAuswahl=5\r\nAdresse=songs.lan:2121\r\nUser=anna\r\n"
                              "Passwort=geheim\r\nAutoconnect=0\r\n[Klavier]"));
        AppFixture again(configPath());
        QCOMPARE(stateOf(settingsControl("ComboBox1")), QString("5"));
        QCOMPARE(stateOf(settingsControl("edAdresse")), QString("songs.lan:2121"));
        QCOMPARE(stateOf(settingsControl("edUser")), QString("anna"));
        QCOMPARE(stateOf(settingsControl("edPw")), QString("geheim"));
    }

    void ownServerAtStart_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::newRow("own server with auto-connect")
            << QByteArray("[OnlineDB]\nAuswahl=5\nAdresse=127.0.0.1:1\nUser=anna\n"
                          "Passwort=geheim\nAutoconnect=1\n")
            << "127.0.0.1:1"
            << "anna";
        QTest::newRow("own server without auto-connect")
            << QByteArray("[OnlineDB]\nAuswahl=5\nAdresse=127.0.0.1:1\nUser=anna\n"
                          "Passwort=geheim\nAutoconnect=0\n")
            << ""
            << "";
    }
    void ownServerAtStart() {
        QFETCH(QByteArray, file);
        QFETCH(QString, host);
        QFETCH(QString, user);
        writeBytes(configPath(), file);
        AppFixture app(configPath());
        REQUIRE_CONTROL("ComboBox1");
        // The start-up connection used the stored own server (which refuses: offline).
        QCOMPARE(app.main().FtpHost, host);
        QCOMPARE(app.main().FtpUser, user);
        QCOMPARE(app.main().FtpPassword, host.isEmpty() ? QString() : QString("geheim"));
        QVERIFY(app.main().windowTitle().endsWith("Offline Mode"));
        QVERIFY(app.prompts.messages.isEmpty());
    }

    void failedApplyLeavesFileAlone_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "13a7"
                                 << "'13a7' ist kein gültiger Integerwert";
        QTest::newRow("empty") << ""
                               << "'' ist kein gültiger Integerwert";
        QTest::newRow("too large") << "99999999999"
                                   << "'99999999999' ist kein gültiger Integerwert";
    }
    void failedApplyLeavesFileAlone() {
        QFETCH(QString, port);
        QFETCH(QString, message);
        const QByteArray before = "[Fremd]\r\nx=1\r\n[Anzeige]\r\nBlinkeffekt=0\r\n";
        writeBytes(configPath(), before);
        AppFixture app(configPath());
        TForm6& dialog = *forms().Form6;
        dialog.show();
        dialog.cbblink->setChecked(true);
        portField()->setText(port);
        dialog.btUe->click();
        QCOMPARE(app.prompts.errors, QStringList{message});
        QCOMPARE(readBytes(configPath()), before);
        // The steps after the port are skipped: see-through stays off, the outputs as they were.
        dialog.cbtrans->setChecked(true);
        dialog.btOk->click();
        QVERIFY(!app.main().effects->seeThrough());
        // "OK" that fails keeps the dialog open for the correction.
        QVERIFY(dialog.isVisible());
    }

    void portWhileListening_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("error");
        QTest::newRow("same port") << 0 << QString();
        QTest::newRow("other port")
            << 1 << "Wert kann nicht geändert werden, während der Socket aktiv ist";
    }
    void portWhileListening() {
        QFETCH(int, port);
        QFETCH(QString, error);
        writeBytes(configPath(), "[MulTiZ1rp]\r\nPort=0\r\n"); // any free port
        AppFixture app(configPath());
        MirrorServer& server = app.main().mirror->ssBeep();
        QCOMPARE(server.port(), 0);
        server.open();
        QVERIFY(server.isListening());
        const QByteArray before = readBytes(configPath());
        portField()->setText(QString::number(port));
        forms().Form6->btUe->click();
        QCOMPARE(app.prompts.errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(server.port(), 0);
        // A refused port writes nothing; the same port applies and writes.
        QCOMPARE(readBytes(configPath()) == before, !error.isEmpty());
    }

    void unwritableFileReported() {
        QVERIFY(QDir(m_dir.path()).mkpath("Config.ini"));
        AppFixture app(configPath());
        forms().Form6->btUe->click();
        QCOMPARE(app.prompts.errors,
                 QStringList{QString("In %1 kann nicht geschrieben werden").arg(configPath())});
        QVERIFY(QDir(m_dir.path()).rmdir("Config.ini"));
    }

    void unknownKeysKept() {
        writeBytes(configPath(), "; eigene Notiz\r\n[Anzeige]\r\nBlinkeffekt=0\r\nFarbe=rot\r\n"
                                 "Background=1\r\n[Plugins]\r\nPfad=/opt/x\r\n");
        AppFixture app(configPath());
        forms().Form6->btOk->click();
        const QByteArray after = readBytes(configPath());
        QVERIFY(after.startsWith("; eigene Notiz\r\n[Anzeige]\r\nBlinkeffekt=0\r\nFarbe=rot\r\n"
                                 "Background=1\r\nScrolleffekt=0\r\nDurchsichtig=0\r\n"
                                 "[Plugins]\r\nPfad=/opt/x\r\n"));
    }

    void outputChecksAfterOk_data() {
        QTest::addColumn<bool>("midi");
        QTest::addColumn<bool>("fmBefore");
        QTest::addColumn<bool>("beeper");
        QTest::addColumn<bool>("fm");
        QTest::addColumn<bool>("midiOut");
        QTest::newRow("FM chosen, MIDI off") << false << true << true << true << false;
        QTest::newRow("nothing chosen, MIDI off") << false << false << true << false << false;
        QTest::newRow("FM chosen, MIDI on") << true << true << false << false << true;
    }
    void outputChecksAfterOk() {
        QFETCH(bool, midi);
        QFETCH(bool, fmBefore);
        QFETCH(bool, beeper);
        QFETCH(bool, fm);
        QFETCH(bool, midiOut);
        AppFixture app(configPath());
        TForm1& main = app.main();
        main.Beeper1->setChecked(false);
        main.FMSynthese1->setChecked(fmBefore);
        main.MIDIOut1->setChecked(!midi);
        forms().Form6->cbMIDI->setChecked(midi);
        forms().Form6->btOk->click();
        QCOMPARE(main.Beeper1->isChecked(), beeper);
        QCOMPARE(main.FMSynthese1->isChecked(), fm);
        QCOMPARE(main.MIDIOut1->isChecked(), midiOut);
        // The file is written before the outputs are switched: it holds the check mark of
        // "FM-Synthese" as it was.
        QVERIFY(readBytes(configPath())
                    .contains(fmBefore ? "[FM]\r\nVolume=80\r\nEnabled=1\r\n"
                                       : "[FM]\r\nVolume=80\r\nEnabled=0\r\n"));
    }

    void displaySettingsOnlyAfterApply_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("cycling");
        QTest::addColumn<bool>("background");
        QTest::addColumn<bool>("scrollOff");
        QTest::newRow("defaults") << QByteArray() << false << true << false;
        QTest::newRow("all switched")
            << QByteArray("[Anzeige]\nBlinkeffekt=0\nBackground=1\nScrolleffekt=1\n") << true
            << false << true;
    }
    void displaySettingsOnlyAfterApply() {
        QFETCH(QByteArray, file);
        QFETCH(bool, cycling);
        QFETCH(bool, background);
        QFETCH(bool, scrollOff);
        if (!file.isNull())
            writeBytes(configPath(), file);
        AppFixture app(configPath());
        TForm1& main = app.main();
        // Until the first apply the window keeps its design state.
        QVERIFY(!main.effects->Timer2->isActive());
        QVERIFY(main.effects->BildHALT->isVisible());
        QVERIFY(!main.Scrollfunktion1->isChecked());
        forms().Form6->btUe->click();
        QCOMPARE(main.effects->Timer2->isActive(), cycling);
        QCOMPARE(main.effects->BildHALT->isVisible(), background);
        QCOMPARE(main.Scrollfunktion1->isChecked(), scrollOff);
        QVERIFY(main.TimerFade->isActive());
    }

    void closingTheProgramWritesSettings() {
        AppFixture app(configPath());
        forms().Form6->tbfm->setValue(42);
        app.main().close();
        QVERIFY(readBytes(configPath()).contains("[FM]\r\nVolume=42\r\n"));
    }

    void settingsPlace_data() {
        QTest::addColumn<QString>("program");   // the program's folder in the tree below
        QTest::addColumn<QStringList>("files"); // files that exist in that tree
        QTest::addColumn<bool>("beside");       // Config.ini beside the program, else the user's
        QTest::newRow("build tree") << "build" << QStringList{"build/CMakeCache.txt"} << true;
        QTest::newRow("build tree, a test program")
            << "build/tests" << QStringList{"build/CMakeCache.txt"} << true;
        QTest::newRow("installed") << "usr/bin" << QStringList{"usr/bin/z1rpw3rk"} << false;
        QTest::newRow("installed, Config.ini beside it")
            << "opt/z1rpw3rk" << QStringList{"opt/z1rpw3rk/Config.ini"} << true;
        // Root may write every folder; the program's own folder is still not the place.
        QTest::newRow("root, folder writable") << "usr/local/bin" << QStringList{} << false;
    }

    void settingsPlace() {
        QFETCH(QString, program);
        QFETCH(QStringList, files);
        QFETCH(bool, beside);
        QTemporaryDir tree;
        QVERIFY(QDir(tree.path()).mkpath(program));
        for (const QString& file : files)
            writeBytes(tree.filePath(file), "");
        const QString programDir = tree.filePath(program);
        const QString expected = beside ? QDir(programDir).filePath("Config.ini")
                                        : tree.filePath("home/.config/Z1rpW3rk/Config.ini");
        QCOMPARE(configFilePathFor(programDir, tree.filePath("home/.config")), expected);
        // The running test program lies in its build tree; a path set for a run goes first.
        setConfigFilePath(QString());
        QCOMPARE(configFilePath(),
                 QDir(QCoreApplication::applicationDirPath()).filePath("Config.ini"));
        setConfigFilePath(configPath());
        QCOMPARE(configFilePath(), configPath());
        setConfigFilePath(QString());
    }
};

QTEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"

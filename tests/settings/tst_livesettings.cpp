#include "gui/ControlLookup.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "gui/SettingsDialog.h"
#include "settings/SettingsStore.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using Change = std::function<void(Settings&)>;
Q_DECLARE_METATYPE(Change)

class TestLiveSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void throughTheFile_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<Change>("expected"); // what reading gives back, from the value written
        const Change same = [](Settings&) {};
        QTest::newRow("defaults") << same << same;
        QTest::newRow("every stored setting") << Change([](Settings& s) {
            s.logoBlinkOff = false, s.backgroundHidden = s.scrollEffectOff = s.seeThrough = true;
            s.mirrorPort = 4242, s.mirrorPortText = "4242", s.libraryServer = 5;
            s.libraryAddress = "songs.lan:2121", s.libraryUser = "anna", s.libraryPassword = "x";
            s.keyC = "q", s.keyASharp = "6", s.keyB = "n", s.addPlayedNotes = false;
            s.keyboardSkin = 0, s.synthVolume = 33, s.fmSynthesis = true, s.language = 1;
            s.libraryAutoconnect = s.bmmInfoHidden = true;
        }) << same;
        QTest::newRow("own server's fields only with the own server")
            << Change([](Settings& s) { s.libraryServer = 2, s.libraryUser = "anna"; })
            << Change([](Settings& s) { s.libraryUser.clear(); });
        QTest::newRow("out of range") << Change([](Settings& s) {
            s.libraryServer = 9, s.keyboardSkin = -3, s.synthVolume = 250;
        }) << Change([](Settings& s) {
            s.libraryServer = s.keyboardSkin = -1, s.synthVolume = 100;
        });
        QTest::newRow("options that are not stored") << Change([](Settings& s) {
            s.waveform = 3, s.midiOutput = s.waitForMidi = s.midiOut = s.scrollOff = true;
            s.midiTracks[1] = {40, 5, true, 64}, s.midiInputDevice = 2, s.beeper = false;
        }) << Change([](Settings& s) { s = Settings{}; });
    }
    void throughTheFile() {
        QFETCH(Change, change);
        QFETCH(Change, expected);
        const QString path = m_dir.filePath("Config.ini");
        QFile::remove(path);
        Settings written;
        change(written);
        {
            IniFile file(path, IniFile::Writes::OnSave);
            SettingsStore::write(file, written);
            file.save();
        }
        Settings read = written;
        expected(read);
        QVERIFY(SettingsStore::read(IniFile(path)) == read);
    }

    void followsTheControls_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("state"); // "click", "trigger" or the new state
        QTest::addColumn<Change>("change");
        QTest::newRow("check box") << "cbMidiwait"
                                   << "click" << Change([](Settings& s) { s.waitForMidi = true; });
        QTest::newRow("see-through checks the background box")
            << "cbtrans"
            << "click" << Change([](Settings& s) { s.seeThrough = s.backgroundHidden = true; });
        QTest::newRow("instrument")
            << "cbMidiNote2"
            << "40" << Change([](Settings& s) { s.midiTracks[1].instrument = 40; });
        QTest::newRow("drum") << "cbDrum1"
                              << "3" << Change([](Settings& s) { s.midiTracks[0].drum = 3; });
        QTest::newRow("drum mode")
            << "BitBtn4"
            << "click" << Change([](Settings& s) { s.midiTracks[1].drumMode = true; });
        QTest::newRow("velocity") << "TrackBar1"
                                  << "64"
                                  << Change([](Settings& s) { s.midiTracks[0].velocity = 64; });
        QTest::newRow("volume") << "tbfm"
                                << "0" << Change([](Settings& s) { s.synthVolume = 0; });
        QTest::newRow("waveform") << "rgTonItem0"
                                  << "click" << Change([](Settings& s) { s.waveform = 0; });
        QTest::newRow("key letter") << "edGr"
                                    << "q" << Change([](Settings& s) { s.keyGSharp = "q"; });
        QTest::newRow("port typed, not yet in effect")
            << "edPort"
            << "4242" << Change([](Settings& s) { s.mirrorPortText = "4242"; });
        QTest::newRow("skin") << "ComboBox2"
                              << "0" << Change([](Settings& s) { s.keyboardSkin = 0; });
        QTest::newRow("menu: FM-Synthese")
            << "FMSynthese1"
            << "trigger" << Change([](Settings& s) { s.fmSynthesis = true, s.beeper = false; });
        QTest::newRow("menu: MIDI-Out checks the MIDI box")
            << "MIDIOut1"
            << "trigger"
            << Change([](Settings& s) { s.midiOut = s.midiOutput = true, s.beeper = false; });
        QTest::newRow("menu: scroll function checks the scroll box")
            << "Scrollfunktion1"
            << "trigger" << Change([](Settings& s) { s.scrollOff = s.scrollEffectOff = true; });
    }
    void followsTheControls() {
        QFETCH(QString, control);
        QFETCH(QString, state);
        QFETCH(Change, change);
        AppFixture app;
        QObject* target = findControl(forms().Form6, control);
        if (!target)
            target = findControl(forms().Form1, control);
        QVERIFY(target);
        Settings expected = forms().settings;
        change(expected);
        if (auto* button = qobject_cast<QAbstractButton*>(target))
            button->click();
        else if (auto* item = qobject_cast<QAction*>(target))
            item->trigger();
        else if (auto* list = qobject_cast<QComboBox*>(target))
            list->setCurrentIndex(state.toInt());
        else if (auto* bar = qobject_cast<QAbstractSlider*>(target))
            bar->setValue(state.toInt());
        else if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->setText(state);
        QVERIFY(forms().settings == expected);
        QVERIFY(&forms().Form6->settings() == &forms().settings);
    }

    void loadedAndAppliedAgreeWithTheFile() {
        const QString path = m_dir.filePath("Config.ini");
        QFile::remove(path);
        {
            IniFile file(path);
            file.writeInteger("OnlineDB", "Auswahl", 5);
            file.writeString("OnlineDB", "User", "anna");
            file.writeInteger("FM", "Volume", 250);
            file.writeInteger("Klavier", "Skin", 0);
            file.writeBool("FM", "Enabled", true);
        }
        AppFixture app(path);
        Settings stored = SettingsStore::read(IniFile(path));
        QCOMPARE(stored.synthVolume, 100);
        const Settings& live = forms().settings;
        // The MIDI devices are this system's.
        const auto withDevices = [&live](Settings s) {
            s.midiOutputChoice = live.midiOutputChoice, s.midiOutputDevice = live.midiOutputDevice;
            s.midiInputDevice = live.midiInputDevice;
            return s;
        };
        QVERIFY(live == withDevices(stored));
        // "Übernehmen" with a new port: the port comes into effect and the file holds the value.
        findControlAs<QLineEdit>(forms().Form6, "edPort")->setText("4711");
        forms().Form6->btUe->click();
        QCOMPARE(live.mirrorPort, 4711);
        QVERIFY(withDevices(SettingsStore::read(IniFile(path))) == live);
    }
};

QTEST_MAIN(TestLiveSettings)
#include "tst_livesettings.moc"

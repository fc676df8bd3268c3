#include "gui/ControlLookup.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "gui/HotKeyPad.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QWidget* windowNamed(const QString& window) {
    if (window == "Form1")
        return forms().Form1;
    if (window == "Form2")
        return forms().Form2();
    if (window == "Form4")
        return forms().Form4();
    return forms().Form6;
}

// The caption a control shows, whatever its kind; item: a list entry or notebook page.
std::optional<QString> captionOf(QObject* control, int item) {
    if (auto* notebook = qobject_cast<QTabWidget*>(control))
        return notebook->tabText(item);
    if (auto* list = qobject_cast<QComboBox*>(control))
        return list->itemText(item);
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* action = qobject_cast<QAction*>(control))
        return action->text();
    if (auto* menu = qobject_cast<QMenu*>(control))
        return menu->title();
    return std::nullopt;
}

// Controls that the network and MIDI pages and the upload panel bring.
QString comesWith(const QString& window, const QString& control) {
    static const QStringList network = {"GroupBox3", "Label1",        "RadioGroup1",
                                        "GroupBox4", "Label6",        "Label7",
                                        "Label8",    "gbTestconnect", "Label11"};
    static const QStringList midi = {"Label17",    "Label18",   "Label19", "GroupBox10",
                                     "cbMidiwait", "cbBPMMidi", "Label20"};
    if (window == "Form6" && network.contains(control))
        return "the network page";
    if (window == "Form6" && midi.contains(control))
        return "the MIDI page";
    if (window == "Form1" && (control == "gbHochladen" || control == "Label7"))
        return "the upload panel";
    return QString();
}

void addTextRows() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    struct Row {
        const char* window;
        const char* control;
        int item;
        const char* german;
        const char* english;
    };
    static const Row rows[] = {
        {"Form1", "Label4", -1, "Spur 1", "Channel 1"},
        {"Form1", "Label5", -1, "Spur 2", "Channel 2"},
        {"Form1", "Label1", -1, "Frequenz (hz)", "Frequency (hz)"},
        {"Form1", "Label2", -1, "Dauer (ms)", "Duration"},
        {"Form1", "rgASpur", -1, "Aktive Spur", "Active Channel"},
        {"Form1", "rgASpurItem0", -1, "-          Spur 1", "-          CH1"},
        {"Form1", "rgASpurItem1", -1, "-          Spur 2", "-          CH2"},
        {"Form1", "btadd", -1, "Ton &hinzufügen", "Add to Song"},
        {"Form1", "btloeschen", -1, "&Löschen", "Delete"},
        {"Form1", "btTauschen", -1, "&Tauschen", "Change line"},
        {"Form1", "Datei1", -1, "Datei", "File"},
        {"Form1", "Neu1", -1, "Neu", "New"},
        {"Form1", "Oeffnen1", -1, "Öffnen", "Open"},
        {"Form1", "Speichern1", -1, "Speichern", "Save to File"},
        {"Form1", "Beenden1", -1, "Beenden", "Exit"},
        {"Form1", "Bearbeiten1", -1, "Bearbeiten", "Edit"},
        {"Form1", "Geschwindigkeitndern1", -1, "Geschwindigkeit ändern...", "Change speed"},
        {"Form1", "Oktavendern1", -1, "Tonhöhe ändern...", "Change octave"},
        {"Form1", "Spurentauschen1", -1, "Spuren tauschen", "Change Channels"},
        {"Form1", "Extras1", -1, "&Extras", "Features"},
        {"Form1", "Hochladen1", -1, "Hochladen", "Upload"},
        {"Form1", "ListderonlineDateien1", -1, "List der online Dateien", "List of online Files"},
        {"Form1", "Schredder1", -1, "Schredder", "Shredder"},
        {"Form1", "Welle1", -1, "Welle", "Sine wave"},
        {"Form1", "ListeNotenFrequenzen1", -1, "Liste Noten - Frequenzen",
         "List of Notes - Frequencies"},
        {"Form1", "BPMNotenwerte1", -1, "BPM / Notenwerte", "BPM / Note values"},
        {"Form1", "Klaviatur1", -1, "Klaviatur", "Keyboard"},
        {"Form1", "GraphischeAusgabe1", -1, "Graphische Ausgabe", "Graphical Output"},
        {"Form1", "N2", -1, "Optionen", "Options"},
        {"Form1", "Scrollfunktion1", -1, "Scrollfunktion deaktivieren",
         "Deactivate scroll function"},
        {"Form1", "FMSynthese1", -1, "FM-Synthese", "FM-Synthesizer"},
        {"Form1", "Einstellungen1", -1, "Einstellungen", "Configuration"},
        {"Form1", "gbHochladen", -1, "Hochladen", "Upload"},
        {"Form1", "Label7", -1, "Dateiname", "Filename"},
        {"Form1", "gbSchredder", -1, "Schredder", "Shredder"},
        {"Form1", "Label11", -1, "von (hz)", "from (hz)"},
        {"Form1", "Label12", -1, "bis (hz)", "to (hz)"},
        {"Form1", "Label13", -1, "Intervall (hz)", "Interval (hz)"},
        {"Form1", "Label14", -1, "Dauer (ms)", "Duration (ms)"},
        {"Form1", "gbWelle", -1, "Welle", "Sine wave"},
        {"Form1", "Label16", -1, "Kurvenstreckung", "Curve Elongation"},
        {"Form1", "Label17", -1, "Dauer eines Tons (ms)", "Note duration"},
        {"Form1", "Label18", -1, "Anzahl der Töne", "Number of Notes"},
        {"Form1", "Label19", -1, "Stärke (hz)", "Strength (hz)"},
        {"Form1", "Label21", -1, "Startton (hz)", "Start by (hz)"},
        {"Form1", "gbInfoBPM", -1, "Notenwerte", "Note-values"},
        {"Form1", "btAendern", -1, "Ändern", "Change"},
        {"Form1", "gbBearbeitung", -1, "Bearbeitung", "Editing"},
        {"Form2", "Label1", -1, "Zeile", "Line"},
        {"Form2", "Label2", -1, "Frequenz", "Frequency"},
        {"Form2", "Label3", -1, "Dauer", "Duration"},
        {"Form2", "Label4", -1, "Spur 1", "CH  1"},
        {"Form2", "Label5", -1, "Frequenz", "Frequency"},
        {"Form2", "Label6", -1, "Dauer", "Duration"},
        {"Form2", "Label7", -1, "Spur 2", "CH  2"},
        {"Form2", "Button2", -1, "Abbrechen", "Cancel"},
        {"Form4", "Label2", -1, "Dauer", "Dur"},
        {"Form4", "Optionen1", -1, "Optionen", "Config"},
        {"Form4", "EinstellungenSpeichern1", -1, "Einstellungen Speichern", "Save to"},
        {"Form4", "Einstellungenladen1", -1, "Einstellungen Laden", "Load"},
        {"Form4", "Configausblenden1", -1, "Config ausblenden", "Hide config"},
        {"Form6", "TabbedNotebook1", 0, "Anzeige", "View"},
        {"Form6", "TabbedNotebook1", 3, "Klaviatur", "Keyboard"},
        {"Form6", "TabbedNotebook1", 4, "Synthese", "Synth"},
        {"Form6", "btUe", -1, "Übernehmen", "Apply"},
        {"Form6", "GroupBox2", -1, "Anzeigeoptionen", "View options"},
        {"Form6", "cbblink", -1, "Logo Blinkeffekt deaktivieren", "Deactivate Logo animation"},
        {"Form6", "cbbg", -1, "Hintergrundbild entfernen", "Remove background picture"},
        {"Form6", "cbscroll", -1, "Scrolleffekt deaktiveren", "Deactivate scroll effect"},
        {"Form6", "cbtrans", -1, "Z1rpW3rk durchsichtig machen", "Z1rpW3rk transparent"},
        {"Form6", "Sprache", -1, "Sprache", "Language"},
        {"Form6", "Label16", -1, "Neustarten zum Übernehmen", "Restart program to apply settings"},
        {"Form6", "GroupBox3", -1, "Netzwerkoptionen", "Network options"},
        {"Form6", "Label1", -1, "Netzwerk Port", "Network Port"},
        {"Form6", "RadioGroup1", -1, "Übertragung", "Transmission"},
        {"Form6", "GroupBox4", -1, "FTP-Zugang", "FTP"},
        {"Form6", "Label6", -1, "Adresse", "Address"},
        {"Form6", "Label7", -1, "Benutzername", "Username"},
        {"Form6", "Label8", -1, "Passwort", "Password"},
        {"Form6", "gbTestconnect", -1, "Verbindungstest", "Connection test"},
        {"Form6", "Label11", -1, "Zeit:", "Time:"},
        {"Form6", "GroupBox5", -1, "Klaviatur", "Keyboard"},
        {"Form6", "GroupBox6", -1, "Eigenschaften", "Properties"},
        {"Form6", "cbNotenhinzu", -1, "gespielte Noten zum Lied hinzufügen", "Add Notes to Song"},
        {"Form6", "ComboBox2", 2, "Klavier normal", "Keyboard normal"},
        {"Form6", "rgTon", -1, "Tonart", "Synth"},
        {"Form6", "GroupBox9", -1, "MIDI Ausgang", "MIDI Output"},
        {"Form6", "GroupBox7", -1, "Optionen", "Options"},
        {"Form6", "cbMIDI", -1, "MIDI Output aktivieren", "Activate MIDI Output"},
        {"Form6", "Label17", -1, "MIDI Gerät", "MIDI Device"},
        {"Form6", "Label18", -1, "Spur 1", "CH1"},
        {"Form6", "Label19", -1, "Spur 2", "CH2"},
        {"Form6", "GroupBox10", -1, "MIDI Eingang", "MIDI Input"},
        {"Form6", "cbMidiwait", -1, "Auf MIDI Befehle Warten", "Wait for MIDI Command"},
        {"Form6", "cbBPMMidi", -1, "Länge bei der BPM Tabelle wählen", "Use length of the BPM table"},
        {"Form6", "Label20", -1, "MIDI Gerät", "MIDI Device"},
    };
    for (const Row& row : rows) {
        const QString tag = QString("%1.%2%3").arg(
            row.window, row.control, row.item >= 0 ? QString("[%1]").arg(row.item) : QString());
        QTest::newRow(qPrintable(tag))
            << QString(row.window) << QString(row.control) << row.item
            << QString::fromUtf8(row.german) << QString::fromUtf8(row.english);
    }
}

} // namespace

class TestEnglishTexts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void startWithLanguage(int language) {
        QFile file(m_dir.filePath("Config.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[Sprache]\r\nSprache=") + QByteArray::number(language) + "\r\n");
    }

    void checkCaption(bool wantEnglish) {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, item);
        QFETCH(QString, german);
        QFETCH(QString, english);
        AppFixture app(m_dir.filePath("Config.ini"));
        QObject* found = findControl(windowNamed(window), control);
        if (!found) {
            const QString source = comesWith(window, control);
            if (!source.isEmpty())
                QSKIP(qPrintable(QString("%1 comes with %2").arg(control, source)));
            QFAIL(qPrintable(QString("%1 has no control %2").arg(window, control)));
        }
        const std::optional<QString> caption = captionOf(found, item);
        QVERIFY2(caption, qPrintable(control + " shows no caption"));
        QCOMPARE(*caption, wantEnglish ? english : german);
    }

private slots:
    void englishStored_data() { addTextRows(); }
    void englishStored() {
        startWithLanguage(1);
        checkCaption(true);
    }

    void germanStored_data() { addTextRows(); }
    void germanStored() {
        startWithLanguage(0);
        checkCaption(false);
    }

    void otherTabTitlesStay_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("Deutsch") << 0;
        QTest::newRow("English") << 1;
    }
    void otherTabTitlesStay() {
        QFETCH(int, language);
        startWithLanguage(language);
        AppFixture app(m_dir.filePath("Config.ini"));
        const QTabWidget* notebook = forms().Form6->TabbedNotebook1;
        QCOMPARE(notebook->count(), 8);
        for (const auto& [index, title] :
             {std::pair{1, "MulTiZ1rp"}, std::pair{2, "OnlineDB"}, std::pair{5, "MIDI"},
              std::pair{6, "Credits"}, std::pair{7, "Info"}})
            QCOMPARE(notebook->tabText(index), QString(title));
        // Captions outside the table take their English form too.
        QCOMPARE(forms().Form6->windowTitle(),
                 QString(language == 1 ? "Configuration" : "Einstellungen"));
        QCOMPARE(app.main().Play1->text(), QString("Play"));
        QCOMPARE(forms().Form6->cbSprache->itemText(1), QString("English"));
        QCOMPARE(forms().Form6->ComboBox2->itemText(0), QString("Z1rpW3rk Smooth"));
    }

    void choosingEnglishShowsAtNextStart() {
        startWithLanguage(0);
        {
            AppFixture app(m_dir.filePath("Config.ini"));
            forms().Form6->cbSprache->setCurrentIndex(1);
            forms().Form6->btOk->click();
            QCOMPARE(app.main().Label4->text(), QString("Spur 1"));
            QCOMPARE(app.main().Datei1->title(), QString("Datei"));
            QCOMPARE(forms().Form6->TabbedNotebook1->tabText(0), QString("Anzeige"));
            QCOMPARE(forms().Form6->btUe->text(), QString("Übernehmen"));
        }
        AppFixture next(m_dir.filePath("Config.ini"));
        QCOMPARE(next.main().Label4->text(), QString("Channel 1"));
        QCOMPARE(next.main().Datei1->title(), QString("File"));
        QCOMPARE(next.main().Extras1->title(), QString("Features"));
        QCOMPARE(next.main().Optionen1->title(), QString("Options"));
        QCOMPARE(forms().Form6->TabbedNotebook1->tabText(0), QString("View"));
    }
};

QTEST_MAIN(TestEnglishTexts)
#include "tst_englishtexts.moc"

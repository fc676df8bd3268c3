#include "audio/PlaybackEngine.h"
#include "gui/ListBox.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "net/MultiZ1rp.h"
#include "gui/MainWindow.h"
#include "gui/LineEditor.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

namespace {

QColor baseOf(const QLineEdit* edit) { return edit->palette().color(QPalette::Base); }

/// A control that claims every key for itself before shortcuts see it.
class GreedyEdit final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    int pressed = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        return QLineEdit::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Control)
            ++pressed;
        QLineEdit::keyPressEvent(event);
    }
};
const QColor white(255, 255, 255);
const QColor silver(192, 192, 192);

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startState() {
        AppFixture app;
        TForm1& w = app.main();
        // No library server is reached at start without auto-connect.
        QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3 - Offline Mode"));
        QCOMPARE(w.centralWidget()->size(), QSize(529, 346));
        for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4})
            QCOMPARE(list->count(), 0);
        QCOMPARE(w.edFreq1->text(), QStringLiteral("500"));
        QCOMPARE(w.edFreq2->text(), QStringLiteral("0"));
        QCOMPARE(w.edLengh->text(), QStringLiteral("100"));
        QCOMPARE(w.edFreq1->maxLength(), 5);
        QCOMPARE(baseOf(w.edFreq1), white);
        QCOMPARE(baseOf(w.edFreq2), silver);
        QVERIFY(w.rgASpurItem0->isChecked());
        QVERIFY(w.Beeper1->isChecked());
        QVERIFY(!w.FMSynthese1->isChecked());
        QVERIFY(w.MIDIFilemidmidi1->isEnabled());
        QVERIFY(!w.MidiBeep1->isEnabled());
        QVERIFY(w.playback->PlayStopped);
        QVERIFY(!w.mirror->MirrorConnected);
        QCOMPARE(w.Memo3->geometry(), QRect(184, 16, 65, 330));
    }

    // Windows not shown at start come with their first use, once; until then the values they
    // keep in Config.ini stay as stored.
    void windowsOfFirstUse_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("menuItem"); // none: a double click on a line opens it
        QTest::newRow("line editor") << "Form2" << "";
        QTest::newRow("note table") << "Form3" << "ListeNotenFrequenzen1";
        QTest::newRow("HotKeyPad") << "Form4" << "HotKeyPad1";
        QTest::newRow("keyboard") << "Form8" << "Klaviatur1";
        QTest::newRow("piano roll") << "PianoRollWindow" << "Notenrolle1";
    }
    void windowsOfFirstUse() {
        QFETCH(QString, window);
        QFETCH(QString, menuItem);
        QTemporaryDir dir;
        QFile config(dir.filePath(QStringLiteral("Config.ini")));
        const QByteArray place = "[Notenrolle]\r\nLinks=50\r\nOben=60\r\nBreite=700\r\n";
        QVERIFY(config.open(QIODevice::WriteOnly) && config.write(place) > 0);
        config.close();
        AppFixture app(config.fileName());
        TForm1& w = app.main();
        const auto opened = [&] {
            return w.findChildren<QWidget*>(window, Qt::FindDirectChildrenOnly);
        };
        QVERIFY(opened().isEmpty());
        w.FormClose();
        QVERIFY(config.open(QIODevice::ReadOnly) && config.readAll().contains(place));
        setSong(w, {"440 100 0 100"});
        int modal = 0;
        app.prompts.onModal = [&](QDialog&) { return ++modal, int(QDialog::Rejected); };
        for (int time = 1; time <= 2; ++time) {
            if (menuItem.isEmpty())
                doubleClickItem(w.Memo1, 0);
            else
                w.findChild<QAction*>(menuItem)->trigger();
            QCOMPARE(opened().size(), 1);
            QVERIFY(opened().first()->isVisible() || modal == time);
        }
    }

    void controlPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place"); // an empty size: only the position is fixed
        QTest::addColumn<QString>("text");
        QTest::newRow("Line") << "Line" << QRect(0, 16, 57, 330) << "";
        QTest::newRow("Memo1") << "Memo1" << QRect(56, 16, 65, 330) << "";
        QTest::newRow("Memo2") << "Memo2" << QRect(120, 16, 65, 330) << "";
        QTest::newRow("Memo4") << "Memo4" << QRect(248, 16, 65, 330) << "";
        QTest::newRow("Label1") << "Label1" << QRect(328, 0, 0, 0) << "Frequenz (hz)";
        QTest::newRow("Label2") << "Label2" << QRect(448, 0, 0, 0) << "Dauer (ms)";
        QTest::newRow("Label3") << "Label3" << QRect() << "Lines";
        QTest::newRow("Label4") << "Label4" << QRect() << "Spur 1";
        QTest::newRow("Label5") << "Label5" << QRect() << "Spur 2";
        QTest::newRow("rgASpur") << "rgASpur" << QRect(320, 24, 201, 105) << "Aktive Spur";
        QTest::newRow("rgASpur item 0") << "rgASpurItem0" << QRect() << "-          Spur 1";
        QTest::newRow("rgASpur item 1") << "rgASpurItem1" << QRect() << "-          Spur 2";
        QTest::newRow("edFreq1") << "edFreq1" << QRect(344, 50, 41, 21) << "500";
        QTest::newRow("edFreq2") << "edFreq2" << QRect(344, 92, 41, 21) << "0";
        QTest::newRow("edLengh") << "edLengh" << QRect(432, 69, 49, 21) << "100";
        QTest::newRow("BitBtn1") << "BitBtn1" << QRect(488, 68, 25, 25) << "";
        QTest::newRow("btadd") << "btadd" << QRect(320, 130, 201, 25) << "Ton &hinzufügen";
        QTest::newRow("gbBearbeitung")
            << "gbBearbeitung" << QRect(320, 160, 201, 49) << "Bearbeitung";
        QTest::newRow("btAendern") << "btAendern" << QRect() << "Ändern";
        QTest::newRow("btloeschen") << "btloeschen" << QRect() << "&Löschen";
        QTest::newRow("btTauschen") << "btTauschen" << QRect() << "&Tauschen";
        QTest::newRow("Label9") << "Label9" << QRect(312, 248, 0, 0) << "Z1rpW3rk";
        QTest::newRow("laStatus") << "laStatus" << QRect(312, 304, 0, 0) << "";
        QTest::newRow("btstop") << "btstop" << QRect(448, 296, 41, 25) << "&Stop";
        QTest::newRow("btplay") << "btplay" << QRect(488, 296, 41, 25) << "&Play";
        QTest::newRow("probar") << "probar" << QRect(312, 320, 217, 25) << "";
    }

    void controlPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        AppFixture app;
        auto* control = app.main().centralWidget()->findChild<QWidget*>(name);
        QVERIFY(control);
        QVERIFY(control->isVisible());
        if (place.isValid())
            QCOMPARE(control->geometry(), place);
        else if (!place.isNull())
            QCOMPARE(control->pos(), place.topLeft());
        QString shown;
        if (auto* l = qobject_cast<QLabel*>(control))
            shown = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(control))
            shown = e->text();
        else if (auto* g = qobject_cast<QGroupBox*>(control))
            shown = g->title();
        else if (auto* b = qobject_cast<QPushButton*>(control))
            shown = b->text();
        else if (auto* r = qobject_cast<QRadioButton*>(control))
            shown = r->text();
        QCOMPARE(shown, text);
        // A caption is never cut by its control.
        if (auto* b = qobject_cast<QAbstractButton*>(control); b && !text.isEmpty()) {
            const int needed = b->fontMetrics().horizontalAdvance(QString(text).remove('&'));
            QVERIFY2(needed <= b->width(), qPrintable(QString::number(needed)));
        }
    }

    void listColoursOnADarkDesktop() {
        const QPalette desktop = QApplication::palette();
        QPalette dark = desktop;
        dark.setColor(QPalette::Base, Qt::black);
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        {
            AppFixture app;
            TForm1& w = app.main();
            for (ListBox* list : {w.Memo1, w.Memo2, w.Memo3, w.Memo4}) {
                QCOMPARE(list->palette().color(QPalette::Base), white);
                QCOMPARE(list->palette().color(QPalette::Text), QColor(Qt::black));
            }
            QCOMPARE(w.Line->palette().color(QPalette::Base), QColor(128, 128, 128));
            QCOMPARE(w.Line->palette().color(QPalette::Text), white);
            QVERIFY(w.Line->font().bold() && w.Memo3->font().bold());
            QCOMPARE(baseOf(w.edFreq1), white);
            QCOMPARE(baseOf(w.edFreq2), silver);
        }
        QApplication::setPalette(desktop);
    }

    void menuShortcuts_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        const auto row = [](const char* item, const char* caption, const char* keys,
                            bool enabled = true, bool checked = false) {
            QTest::newRow(item) << QString::fromLatin1(item) << QString::fromUtf8(caption)
                                << QKeySequence(QString::fromLatin1(keys)) << enabled << checked;
        };
        row("Neu1", "Neu", "Ctrl+N");
        row("Oeffnen1", "Öffnen", "Ctrl+O");
        row("Speichern1", "Speichern", "Ctrl+S");
        row("Beenden1", "Beenden", "");
        row("Play1", "Play", "F5");
        row("Stop1", "Stop", "F8");
        row("Geschwindigkeitndern1", "Geschwindigkeit ändern...", "");
        row("Oktavendern1", "Tonhöhe ändern...", "");
        row("Spurentauschen1", "Spuren tauschen", "Ctrl+T");
        row("Spur11", "Spur 1", "");
        row("Spur21", "Spur 2", "");
        row("Spur12", "Spur 1", "");
        row("Spur22", "Spur 2", "");
        row("Hochladen1", "Hochladen", "Ctrl+H");
        row("ListderonlineDateien1", "List der online Dateien", "Ctrl+L");
        row("BleeperMusicMakerbmm1", "Bleeper Music Maker (.bmm)", "");
        row("MIDIFilemidmidi1", "MIDI-File (.mid / .midi)", "");
        row("Schredder1", "Schredder", "Ctrl+R");
        row("Welle1", "Welle", "Ctrl+W");
        row("ListeNotenFrequenzen1", "Liste Noten - Frequenzen", "Ctrl+F");
        row("BPMNotenwerte1", "BPM / Notenwerte", "Ctrl+B");
        row("HotKeyPad1", "HotKeyPad", "Ctrl+P");
        row("Klaviatur1", "Klaviatur", "Ctrl+K");
        row("MidiBeep1", "MidiBeep", "Ctrl+I", false);
        row("GraphischeAusgabe1", "Graphische Ausgabe", "Ctrl+G");
        row("MultiBeep1", "Multi-Beep", "Ctrl+M");
        row("Scrollfunktion1", "Scrollfunktion deaktivieren", "Ctrl+Alt+S");
        row("Beeper1", "Beeper", "Ctrl+Alt+B", true, true);
        row("FMSynthese1", "FM-Synthese", "Ctrl+Alt+F");
        row("MIDIOut1", "MIDI-Out", "Ctrl+Alt+M");
        row("Einstellungen1", "Einstellungen", "Ctrl+E");
        row("ExportAudio1", "Audio (WAV, FLAC, OGG, MP3)...", "");
        row("ExportMidi1", "MIDI-Datei (.mid)...", "");
        row("Rueckgaengig1", "Rückgängig", "Ctrl+Z", false);
        row("Wiederholen1", "Wiederholen", "Ctrl+Y", false);
    }

    void menuShortcuts() {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        AppFixture app;
        auto* action = app.main().findChild<QAction*>(item);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut(), shortcut);
        QCOMPARE(action->isEnabled(), enabled);
        QCOMPARE(action->isChecked(), checked);
        QVERIFY(action->isVisible());
    }

    void menuStructure_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items"); // "-" for a separator, "name >" for a submenu
        QTest::newRow("Datei") << "Datei1"
                               << QStringList{"Neu",     "Öffnen", "Speichern", "Exportieren >",
                                              "Zuletzt geöffnet >", "-", "Beenden", "-",      "Play",
                                              "Ab aktueller Zeile abspielen", "Stop"};
        QTest::newRow("Exportieren") << "Exportieren1"
                                     << QStringList{"Audio (WAV, FLAC, OGG, MP3)...",
                                                    "MIDI-Datei (.mid)...",
                                                    "RTTTL-Klingelton (.rtttl)...",
                                                    "Buzzer-Sketch (.ino)...",
                                                    "beep-Skript (.sh)...",
                                                    "G-Code für 3D-Drucker (.gcode)...",
                                                    "Bild (PNG, SVG)..."};
        QTest::newRow("Bearbeiten")
            << "Bearbeiten1"
            << QStringList{"Rückgängig",        "Wiederholen",     "-",
                           "Einfügen", "Zeilen löschen", "-", "Ausschneiden", "Kopieren",
                           "Aus Zwischenablage einfügen", "Alles markieren", "-",
                           "Zeilen nach oben", "Zeilen nach unten", "-", "Halbton höher",
                           "Halbton tiefer", "Oktave höher", "Oktave tiefer",
                           "Nur aktive Spur transponieren", "-",
                           "Geschwindigkeit ändern...", "Tonhöhe ändern...", "Spuren tauschen",
                           "Dual-Spur >",       "Spur Löschen >"};
        QTest::newRow("Dual-Spur") << "DualSpur1" << QStringList{"Spur 1", "Spur 2"};
        QTest::newRow("Spur Löschen") << "SpurLoeschen1" << QStringList{"Spur 1", "Spur 2"};
        QTest::newRow("Extras") << "Extras1"
                                << QStringList{"Hochladen",
                                               "List der online Dateien",
                                               "Import >",
                                               "-",
                                               "Schredder",
                                               "Welle",
                                               "-",
                                               "Liste Noten - Frequenzen",
                                               "BPM / Notenwerte",
                                               "HotKeyPad",
                                               "Klaviatur",
                                               "MidiBeep",
                                               "Graphische Ausgabe",
                                               "Notenrolle",
                                               "Multi-Beep"};
        QTest::newRow("Import") << "Import1"
                                << QStringList{"Bleeper Music Maker (.bmm)",
                                               "MIDI-File (.mid / .midi)",
                                               "RTTTL-Klingelton (.rtttl / .txt)",
                                               "G-Code (.gcode)"};
        QTest::newRow("Optionen") << "Optionen1" << QStringList{"Scrollfunktion deaktivieren",
                                                                "-",
                                                                "Beeper",
                                                                "FM-Synthese",
                                                                "MIDI-Out",
                                                                "-",
                                                                "Zweistimmig",
                                                                "Schleife",
                                                                "Vorhören",
                                                                "-",
                                                                "Einstellungen"};
    }

    void menuStructure() {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        AppFixture app;
        auto* m = app.main().findChild<QMenu*>(menu);
        QVERIFY(m);
        QStringList seen;
        for (const QAction* action : m->actions())
            seen.append(action->isSeparator() ? QStringLiteral("-")
                        : action->menu()      ? action->text() + QStringLiteral(" >")
                                              : action->text());
        QCOMPARE(seen, items);
    }

    void menuBarTitles() {
        AppFixture app;
        QStringList titles;
        for (const QAction* action : app.main().menuBar()->actions())
            titles.append(action->text().remove(QLatin1Char('&')));
        QCOMPARE(titles, QStringList({"Datei", "Bearbeiten", "Extras", "Optionen", "Hilfe"}));
    }

    // The window takes its own keys before the focused control, even from a control that
    // would claim them (an edit field takes Ctrl+E as "end of line" on some desktops).
    void windowKeysBeforeAGreedyControl_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Ctrl+E Einstellungen")
            << int(Qt::Key_E) << int(Qt::ControlModifier) << "settings";
        QTest::newRow("Ctrl+N Neu") << int(Qt::Key_N) << int(Qt::ControlModifier) << "empty";
        QTest::newRow("F2 track 2") << int(Qt::Key_F2) << 0 << "track2";
        QTest::newRow("Enter btadd") << int(Qt::Key_Return) << 0 << "added";
        QTest::newRow("Ctrl+I of a disabled item stays")
            << int(Qt::Key_I) << int(Qt::ControlModifier) << "control";
    }

    void windowKeysBeforeAGreedyControl() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, effect);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 1 1 1"});
        GreedyEdit greedy(w.centralWidget());
        greedy.show();
        greedy.setFocus();
        app.giveUpChanges();
        QTest::keyClick(&greedy, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(forms().Form6->isVisible(), effect == "settings");
        QCOMPARE(w.Memo1->count(), effect == "empty" ? 0 : effect == "added" ? 2 : 1);
        QCOMPARE(baseOf(w.edFreq2), effect == "track2" ? white : silver);
        QCOMPARE(greedy.pressed, effect == "control" ? 1 : 0);
        forms().Form6->hide();
    }

    void enterOnTheFocusedButton_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("previews");
        QTest::newRow("radio button") << "rgASpurItem1" << 2 << 0;
        QTest::newRow("list") << "Line" << 2 << 0;
        QTest::newRow("Löschen button") << "btloeschen" << 0 << 0;
        QTest::newRow("preview button") << "BitBtn1" << 1 << 1;
        QTest::newRow("side panel field") << "edBPM" << 2 << 0;
        QTest::newRow("side panel list") << "lbNoten" << 2 << 0;
        QTest::newRow("duration field") << "edLengh" << 2 << 0;
    }

    void enterOnTheFocusedButton() {
        QFETCH(QString, focus);
        QFETCH(int, lines);
        QFETCH(int, previews);
        AppFixture app;
        TForm1& w = app.main();
        w.edLengh->setText("1");
        setSong(w, {"1 1 1 1"});
        QSignalSpy preview(w.BitBtn1, &QToolButton::clicked);
        auto* target = w.findChild<QWidget*>(focus);
        QVERIFY(target);
        if (!target->isVisible())
            w.BPMNotenwerte1->trigger(); // the side panel with the BPM note values
        QVERIFY(target->isVisible());
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(w.Memo1->count(), lines);
        QCOMPARE(preview.count(), previews);
    }

    void statusTextsFit_data() {
        QTest::addColumn<QString>("text");
        for (const char* text : {"Aktualisiere Pattern", "Spiele Lied", "Analysiere BMM",
                                 "Generiere Daten", "Generiere Sinus", "Sende Daten..."})
            QTest::newRow(text) << QString::fromLatin1(text);
    }

    void statusTextsFit() {
        QFETCH(QString, text);
        AppFixture app;
        TForm1& w = app.main();
        w.ShowProgress(1, 3, text);
        QCOMPARE(w.laStatus->text(), text);
        QVERIFY(w.laStatus->fontMetrics().horizontalAdvance(text) <= w.laStatus->width());
        QVERIFY(w.laStatus->geometry().right() < w.btstop->x());
    }

    void settingsDialogShell() {
        AppFixture app;
        TForm1& w = app.main();
        w.move(0, 0);
        QTest::keyClick(w.Memo1, Qt::Key_E, Qt::ControlModifier);
        TForm6& settings = *forms().Form6;
        QVERIFY(settings.isVisible());
        QCOMPARE(settings.windowTitle(), QStringLiteral("Einstellungen"));
        QCOMPARE(settings.size(), QSize(426, 395));
        QStringList titles;
        int tabsWidth = 0;
        QTabBar* tabs = settings.TabbedNotebook1->tabBar();
        for (int i = 0; i < tabs->count(); ++i) {
            titles.append(tabs->tabText(i));
            tabsWidth += tabs->tabRect(i).width();
        }
        QCOMPARE(titles, QStringList({"Anzeige", "MulTiZ1rp", "OnlineDB", "Klaviatur", "Synthese",
                                      "MIDI", "Credits", "Info"}));
        // All eight tabs in view at once.
        QVERIFY2(tabsWidth <= settings.TabbedNotebook1->width(),
                 qPrintable(QString::number(tabsWidth)));
        // "Übernehmen" left of "OK" at the bottom right, both captions whole.
        QCOMPARE(settings.btUe->text(), QStringLiteral("Übernehmen"));
        QCOMPARE(settings.btOk->text(), QStringLiteral("OK"));
        QVERIFY(settings.btUe->geometry().right() < settings.btOk->x());
        QVERIFY(settings.btOk->geometry().right() < settings.width());
        for (QPushButton* button : {settings.btUe, settings.btOk}) {
            QCOMPARE(button->height(), 25);
            QVERIFY(button->width() >= 75);
            QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width());
        }
        QVERIFY(!settings.isModal());
        // Centred on the screen (within a frame's thickness), wherever the main window is.
        const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((settings.geometry().center() - screen).manhattanLength() <= 8);
        QTest::mouseClick(settings.btOk, Qt::LeftButton);
        QVERIFY(!settings.isVisible());
    }

    void functionKeysSwitchTrack() {
        AppFixture app;
        TForm1& w = app.main();
        w.edLengh->setFocus();
        QTest::keyClick(w.edLengh, Qt::Key_F2);
        QCOMPARE(baseOf(w.edFreq1), silver);
        QCOMPARE(baseOf(w.edFreq2), white);
        QVERIFY(w.rgASpurItem1->isChecked());
        QCOMPARE(w.activeFrequencyField(), w.edFreq2);
        QTest::keyClick(w.edLengh, Qt::Key_F2);
        QCOMPARE(baseOf(w.edFreq2), white);
        QVERIFY(w.rgASpurItem1->isChecked());
        QTest::keyClick(w.edLengh, Qt::Key_F1);
        QCOMPARE(baseOf(w.edFreq1), white);
        QCOMPARE(baseOf(w.edFreq2), silver);
        QVERIFY(w.rgASpurItem0->isChecked());
        QCOMPARE(w.edLengh->text(), QStringLiteral("100"));
    }

    void radioGroupSwitchesTrack() {
        AppFixture app;
        TForm1& w = app.main();
        QTest::mouseClick(w.rgASpurItem1, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(baseOf(w.edFreq1), silver);
        QCOMPARE(baseOf(w.edFreq2), white);
        QVERIFY(!w.trackOneActive());
        w.rgASpurItem0->setChecked(true);
        QVERIFY(w.trackOneActive());
    }

    void enterAddsFromAnyField() {
        AppFixture app;
        TForm1& w = app.main();
        w.edFreq2->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(w.edFreq2, Qt::Key_Return);
        QCOMPARE(songRows(w), QStringList({"500 100 0 100", "500 100 0 100", "500 100 0 100"}));
        QCOMPARE(w.Line->items(), QStringList({"0", "1", "2"}));
        w.Memo2->setFocus();
        QTest::keyClick(w.Memo2, Qt::Key_Enter);
        QCOMPARE(w.Memo1->count(), 4);
    }

    void selectionIsSynchronised() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "3 10 4 10", "5 10 6 10", "7 10 8 10"});
        clickItem(w.Memo3, 2);
        QCOMPARE(selections(w), QList<int>({2, 2, 2, 2, 2}));
        clickItem(w.Line, 1);
        QCOMPARE(selections(w), QList<int>({1, 1, 1, 1, 1}));
        w.Memo4->setFocus();
        QTest::keyClick(w.Memo4, Qt::Key_Down);
        QCOMPARE(selections(w), QList<int>({2, 2, 2, 2, 2}));
        // Moving through Line with the keyboard moves only Line.
        w.Line->setFocus();
        QTest::keyClick(w.Line, Qt::Key_Down);
        QCOMPARE(selections(w), QList<int>({3, 2, 2, 2, 2}));
    }

    // Only a left press on an item moves the selection (as in classic desktop list boxes); what a
    // press or drag leaves selected, all five lists select. Ctrl adds or takes out one line.
    void mouseOnTheLists_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("selected");
        QTest::newRow("left on item of Memo3") << "Memo3"
                                               << "left 2" << 2;
        QTest::newRow("left on item of Line") << "Line"
                                              << "left 3" << 3;
        QTest::newRow("left below the items") << "Memo2"
                                              << "below" << 1;
        QTest::newRow("right on item") << "Memo1"
                                       << "right 3" << 1;
        QTest::newRow("middle on item") << "Memo4"
                                        << "middle 0" << 1;
        QTest::newRow("Ctrl on the selected item takes it out") << "Memo4"
                                                                << "ctrl 1" << -1;
        QTest::newRow("Ctrl on another item") << "Memo2"
                                              << "ctrl 3" << 3;
        QTest::newRow("drag released outside") << "Memo1"
                                               << "drag 1 3 out" << 3;
        QTest::newRow("drag from below onto an item") << "Memo3"
                                                      << "dragbelow 3" << 1;
    }

    void mouseOnTheLists() {
        QFETCH(QString, list);
        QFETCH(QString, gesture);
        QFETCH(int, selected);
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 10 2 10", "3 10 4 10", "5 10 6 10", "7 10 8 10"});
        clickItem(w.Memo1, 1);
        QCOMPARE(selections(w), QList<int>({1, 1, 1, 1, 1}));
        auto* target = w.findChild<ListBox*>(list);
        QWidget* view = target->viewport();
        const auto at = [&](int row) {
            return target->itemRect(row).center();
        };
        const QPoint below(10, view->height() - 10);
        const QStringList parts = gesture.split(QLatin1Char(' '));
        const auto move = [&](const QPoint& pos) {
            QMouseEvent event(QEvent::MouseMove, pos, view->mapToGlobal(pos), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &event);
        };
        if (parts[0] == "left")
            QTest::mouseClick(view, Qt::LeftButton, {}, at(parts[1].toInt()));
        else if (parts[0] == "right")
            QTest::mouseClick(view, Qt::RightButton, {}, at(parts[1].toInt()));
        else if (parts[0] == "middle")
            QTest::mouseClick(view, Qt::MiddleButton, {}, at(parts[1].toInt()));
        else if (parts[0] == "ctrl")
            QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, at(parts[1].toInt()));
        else if (parts[0] == "below")
            QTest::mouseClick(view, Qt::LeftButton, {}, below);
        else if (parts[0] == "drag") {
            QTest::mousePress(view, Qt::LeftButton, {}, at(parts[1].toInt()));
            move(at(parts[2].toInt()));
            QTest::mouseRelease(view, Qt::LeftButton, {},
                                QPoint(view->width() + 30, at(parts[2].toInt()).y()));
        } else if (parts[0] == "dragbelow") {
            QTest::mousePress(view, Qt::LeftButton, {}, below);
            move(at(parts[1].toInt()));
            QTest::mouseRelease(view, Qt::LeftButton, {}, at(parts[1].toInt()));
        }
        QCOMPARE(selections(w), QList<int>(5, selected));
    }

    void renumberAndProgress() {
        AppFixture app;
        TForm1& w = app.main();
        w.laStatus->setText("Bleibt");
        setSong(w, {"1 1 1 1"});
        QCOMPARE(w.Line->items(), QStringList({"0"}));
        QCOMPARE(w.laStatus->text(), QStringLiteral("Bleibt"));
        setSong(w, {"1 1 1 1", "2 2 2 2", "3 3 3 3"});
        QCOMPARE(w.Line->items(), QStringList({"0", "1", "2"}));
        QCOMPARE(w.Line->itemIndex(), -1);
        QCOMPARE(w.probar->value(), 0);
        QCOMPARE(w.laStatus->text(), QString());
    }

    void showProgress_data() {
        QTest::addColumn<QList<int>>("calls"); // current, total pairs
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("status");
        QTest::newRow("first") << QList<int>{1, 3} << QStringList{"A"} << 33 << "A";
        QTest::newRow("status stays") << QList<int>{1, 3, 2, 3} << QStringList{"A", "B"} << 66 << "A";
        QTest::newRow("100 clears") << QList<int>{1, 3, 2, 3, 3, 3} << QStringList{"A", "B", "B"} << 0 << "";
        QTest::newRow("above 100 is kept in range") << QList<int>{5, 3} << QStringList{"A"} << 0 << "";
        QTest::newRow("negative truncates toward zero") << QList<int>{-1, 3} << QStringList{"A"} << 0 << "A";
    }

    void showProgress() {
        QFETCH(QList<int>, calls);
        QFETCH(QStringList, texts);
        QFETCH(int, bar);
        QFETCH(QString, status);
        AppFixture app;
        TForm1& w = app.main();
        for (int i = 0; i < texts.size(); ++i)
            w.ShowProgress(calls[2 * i], calls[2 * i + 1], texts[i]);
        QCOMPARE(w.probar->value(), bar);
        QCOMPARE(w.laStatus->text(), status);
    }

    void neuEmptiesTheSongOnly() {
        AppFixture app;
        TForm1& w = app.main();
        setSong(w, {"1 1 1 1", "2 2 2 2"});
        clickItem(w.Memo1, 1);
        w.edFreq1->setText("440");
        // The changed song is given up only when the user says so.
        app.prompts.boxAnswers = {Prompts::Answer::No};
        QTest::keyClick(w.Memo1, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(app.prompts.texts(), QStringList{"Änderungen speichern?"});
        for (ListBox* list : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4}) {
            QCOMPARE(list->count(), 0);
            QCOMPARE(list->itemIndex(), -1);
        }
        QCOMPARE(w.edFreq1->text(), QStringLiteral("440"));
    }

    // The five columns show one song: whichever list is scrolled, all show the same rows.
    void listsScrollAsOne_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("action");
        for (const char* list : {"Line", "Memo1", "Memo2", "Memo3", "Memo4"})
            for (const char* action : {"wheel", "scroll bar", "Page Down", "selection by code"})
                QTest::addRow("%s, %s", list, action) << list << action;
    }

    void listsScrollAsOne() {
        QFETCH(QString, list);
        QFETCH(QString, action);
        AppFixture app;
        TForm1& w = app.main();
        QStringList rows;
        for (int i = 0; i < 200; ++i)
            rows << QStringLiteral("%1 100 0 100").arg(100 + i);
        setSong(w, rows);
        auto* touched = w.findChild<ListBox*>(list);
        QCOMPARE(touched->topIndex(), 0);
        if (action == QLatin1String("wheel")) {
            const QPoint at = touched->viewport()->rect().center();
            QWheelEvent wheel(at, touched->viewport()->mapToGlobal(at), {}, {0, -120},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(touched->viewport(), &wheel);
        } else if (action == QLatin1String("scroll bar")) {
            touched->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        } else if (action == QLatin1String("Page Down")) {
            clickItem(touched, 0);
            touched->setFocus();
            // The first press moves to the last row shown, the second scrolls.
            QTest::keyClick(touched, Qt::Key_PageDown);
            QTest::keyClick(touched, Qt::Key_PageDown);
        } else {
            touched->setItemIndex(150);
        }
        const int top = touched->topIndex();
        QVERIFY(top > 0);
        for (ListBox* other : {w.Line, w.Memo1, w.Memo2, w.Memo3, w.Memo4})
            QCOMPARE(other->topIndex(), top);
    }

    void listsStretchWithTheWindow() {
        AppFixture app;
        TForm1& w = app.main();
        w.resize(w.width(), w.height() + 100);
        QCOMPARE(w.Memo1->height(), 430);
        QCOMPARE(w.Label9->pos(), QPoint(312, 348));
        QCOMPARE(w.width(), 529);
    }

    void sidePanelSlide() {
        AppFixture app;
        TForm1& w = app.main();
        QWidget panel(w.centralWidget());
        panel.hide();
        int steps = 0;
        w.toggleSidePanel(w.Schredder1, &panel);
        QVERIFY(panel.isVisible() && w.Schredder1->isChecked() && w.SidePanelOpen);
        w.TimerFade->stop(); // step by hand: one tick per call
        for (int widths = w.width(); steps < 100; ++steps) {
            w.TimerFadeTimer();
            if (w.width() == widths)
                break;
            widths = w.width();
        }
        QCOMPARE(steps, 22); // 21 steps of 11 pixels and the snap to the wide width
        QCOMPARE(w.width(), 764);
        w.closeSidePanel(w.Schredder1, &panel);
        QVERIFY(!panel.isVisible() && !w.Schredder1->isChecked() && !w.SidePanelOpen);
        QTRY_VERIFY(!w.TimerFade->isActive());
        QCOMPARE(w.width(), 529);
    }

    // Started without a usable display, the program says so in one line and ends.
    void programWithoutDisplay_data() {
        QTest::addColumn<QString>("display");
        QTest::newRow("no DISPLAY") << QString();
        QTest::newRow("DISPLAY without a server") << ":187";
    }

    void programWithoutDisplay() {
        QFETCH(QString, display);
        const QString program = QCoreApplication::applicationDirPath() + "/../z1rpw3rk";
        if (!QFileInfo::exists(program))
            QSKIP("the program is not built");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            env.insert("DISPLAY", display);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, {});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QStringList lines =
            QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith("z1rpw3rk: "));
        QVERIFY(lines.first().contains("xvfb-run"));
    }

    void beendenClosesTheWindow() {
        AppFixture app;
        TForm1& w = app.main();
        w.Beenden1->trigger();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

#include "gui/ControlLookup.h"
#include "gui/InfoText.h"
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The page a control lies on, by the page's design name; empty for the main window.
QString pageOf(QObject* control) {
    for (QObject* up = control; up; up = up->parent())
        if (up->objectName().startsWith("page"))
            return up->objectName();
    return QString();
}

void clickTab(int index) {
    QTabBar* bar = forms().Form6->TabbedNotebook1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void everyNamedControl_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("builtWith"); // where another part of the program builds it
        const auto add = [](const char* page, const char* builtWith,
                            std::initializer_list<const char*> names) {
            for (const char* name : names)
                QTest::newRow(name) << QString(name) << QString(page) << QString(builtWith);
        };
        add("pageAnzeige", "",
            {"GroupBox2", "cbblink", "cbbg", "cbscroll", "cbtrans", "cbBMMINFO", "Sprache",
             "cbSprache", "Label16"});
        add("pageMulTiZ1rp", "the network page",
            {"GroupBox3", "Label1", "edPort", "Button2", "RadioGroup1"});
        add("pageOnlineDB", "the network page",
            {"GroupBox4", "ComboBox1", "Label6", "edAdresse", "Label7", "edUser", "Label8", "edPw",
             "cbAutoconnect", "gbTestconnect", "Label10", "Label13", "Label11", "Label12",
             "btTestcon"});
        add("pageKlaviatur", "",
            {"GroupBox5", "edC", "edCr", "edD", "edDr", "edE", "edF", "edFr", "edG", "edGr", "edA",
             "edAr", "edB", "GroupBox6", "cbNotenhinzu", "Label9", "ComboBox2"});
        add("pageSynthese", "", {"GroupBox1", "Label14", "laMuted", "tbfm", "rgTon"});
        add("pageMIDI", "", {"GroupBox9", "GroupBox7", "cbMIDI"});
        add("pageMIDI", "the MIDI page",
            {"Label17",     "combMidiG", "GroupBox8", "Label18",   "Label19",   "cbMidiNote1",
             "cbMidiNote2", "cbDrum1",   "cbDrum2",   "BitBtn1",   "BitBtn2",   "BitBtn3",
             "BitBtn4",     "melody",    "drum",      "TrackBar1", "TrackBar2", "GroupBox10",
             "cbMidiwait",  "cbBPMMidi", "Label20",   "cbMidiIn"});
        add("pageCredits", "", {"Image1", "Label2", "Label15"});
        add("pageInfo", "", {"mInfo"});
        add("", "", {"TabbedNotebook1", "btUe", "btOk"});
    }
    void everyNamedControl() {
        QFETCH(QString, control);
        QFETCH(QString, page);
        QFETCH(QString, builtWith);
        AppFixture app;
        QObject* found = findControl(forms().Form6, control);
        if (!found && !builtWith.isEmpty())
            QSKIP(qPrintable(QString("%1 comes with %2").arg(control, builtWith)));
        QVERIFY2(found, qPrintable("the settings dialog has no " + control));
        QCOMPARE(pageOf(found), page);
    }

    void layout() {
        AppFixture app;
        TForm6& dialog = *forms().Form6;
        QCOMPARE(dialog.windowTitle(), QString("Einstellungen"));
        QCOMPARE(dialog.size(), QSize(426, 395));
        QVERIFY(!dialog.isModal());
        QVERIFY(dialog.isHidden());
        const QStringList titles = {"Anzeige",  "MulTiZ1rp", "OnlineDB", "Klaviatur",
                                    "Synthese", "MIDI",      "Credits",  "Info"};
        QCOMPARE(dialog.TabbedNotebook1->count(), titles.size());
        for (int i = 0; i < titles.size(); ++i)
            QCOMPARE(dialog.TabbedNotebook1->tabText(i), titles[i]);
        QVERIFY(dialog.btUe->geometry().right() < dialog.btOk->geometry().left());
        QCOMPARE(dialog.btOk->height(), 25);
        QVERIFY(dialog.btOk->geometry().right() < 426);
        QCOMPARE(dialog.cbSprache->count(), 2);
        QCOMPARE(dialog.cbSprache->itemText(0), QString("Deutsch"));
        QCOMPARE(dialog.tbfm->minimum(), 0);
        QCOMPARE(dialog.tbfm->maximum(), 100);
        QCOMPARE(dialog.rgTonItemIndex(), 1);
        QVERIFY(dialog.cbNotenhinzu->isHidden());
        QCOMPARE(dialog.Label15->text(), QString("Z1rpW3rk 3.3"));
        QCOMPARE(dialog.Label2->text(), QString("Coder:"));
        QCOMPARE(dialog.Image1->size(), QSize(350, 88));
        // The credit lines name roles of the team, after "Coder:".
        const QList<QLabel*> credits =
            dialog.pageCredits->findChildren<QLabel*>(QRegularExpression("^laCredit"));
        QCOMPARE(credits.size(), 3);
        for (const QLabel* line : credits) {
            QVERIFY(line->text().startsWith("Z1rpW3rk-Team"));
            QVERIFY(line->y() > dialog.Label2->y());
        }
    }

    void seeThroughChecksBackground_data() {
        QTest::addColumn<bool>("backgroundBefore");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("backgroundAfter");
        QTest::newRow("checking checks") << false << 1 << true;
        QTest::newRow("unchecking leaves it checked") << false << 2 << true;
        QTest::newRow("already checked") << true << 1 << true;
    }
    void seeThroughChecksBackground() {
        QFETCH(bool, backgroundBefore);
        QFETCH(int, clicks);
        QFETCH(bool, backgroundAfter);
        AppFixture app;
        TForm6& dialog = *forms().Form6;
        dialog.show();
        dialog.TabbedNotebook1->setCurrentIndex(0);
        dialog.cbbg->setChecked(backgroundBefore);
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(dialog.cbtrans, Qt::LeftButton, {},
                              QPoint(8, dialog.cbtrans->height() / 2));
        QCOMPARE(dialog.cbtrans->isChecked(), clicks % 2 == 1);
        QCOMPARE(dialog.cbbg->isChecked(), backgroundAfter);
    }

    void mutedAtZero_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("muted");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << false;
        QTest::newRow("100") << 100 << false;
    }
    void mutedAtZero() {
        QFETCH(int, position);
        QFETCH(bool, muted);
        AppFixture app;
        forms().Form6->tbfm->setValue(position);
        QCOMPARE(!forms().Form6->laMuted->isHidden(), muted);
    }

    void creditsPictureMovesOnce_data() {
        QTest::addColumn<QList<int>>("tabs");
        QTest::newRow("one click") << QList<int>{6};
        QTest::newRow("same tab again") << QList<int>{0, 0};
        QTest::newRow("several tabs") << QList<int>{3, 6, 7, 1};
        QTest::newRow("no click") << QList<int>{};
    }
    void creditsPictureMovesOnce() {
        QFETCH(QList<int>, tabs);
        AppFixture app;
        TForm6& dialog = *forms().Form6;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int left = dialog.Image1->x();
        QVERIFY(!dialog.CreditsShifted);
        for (int tab : tabs)
            clickTab(tab);
        QCOMPARE(dialog.Image1->x(), tabs.isEmpty() ? left : left + 8);
        QCOMPARE(dialog.CreditsShifted, !tabs.isEmpty());
    }

    void closeBoxOnlyHides() {
        AppFixture app;
        TForm6& dialog = *forms().Form6;
        app.main().Einstellungen1->trigger();
        QVERIFY(dialog.isVisible());
        QVERIFY(app.main().isEnabled()); // not modal
        dialog.cbscroll->setChecked(true);
        dialog.close();
        QVERIFY(dialog.isHidden());
        QCOMPARE(forms().Form6, &dialog);
        QVERIFY(dialog.cbscroll->isChecked());
        // Nothing was applied or written.
        QVERIFY(!app.main().Scrollfunktion1->isChecked());
        QVERIFY(!QFile::exists(app.configDir.filePath("Config.ini")));
        app.main().Einstellungen1->trigger();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.cbscroll->isChecked());
    }

    void okAppliesAndHides_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Übernehmen") << false;
    }
    void okAppliesAndHides() {
        QFETCH(bool, ok);
        AppFixture app;
        TForm6& dialog = *forms().Form6;
        dialog.show();
        dialog.cbscroll->setChecked(true);
        (ok ? dialog.btOk : dialog.btUe)->click();
        QCOMPARE(dialog.isVisible(), !ok);
        QVERIFY(app.main().Scrollfunktion1->isChecked());
        QVERIFY(QFile::exists(app.configDir.filePath("Config.ini")));
    }

    void infoText_data() {
        QTest::addColumn<QByteArray>("readme"); // null: no file
        QTest::addColumn<QString>("shown");     // empty: the built-in text
        QTest::newRow("no readme.nfo") << QByteArray() << QString();
        QTest::newRow("readme.nfo") << QByteArray("Z1rpW3rk\r\nGruß\r\n") << "Z1rpW3rk\r\nGruß\r\n";
        QTest::newRow("Latin-1") << QByteArray("Gr\xfc\xdf") << "Grüß";
        QTest::newRow("empty file") << QByteArray("") << "";
        QTest::newRow("folder of that name") << QByteArray("<dir>") << QString();
    }
    void infoText() {
        QFETCH(QByteArray, readme);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        if (readme == "<dir>") {
            QVERIFY(QDir(dir.path()).mkdir("readme.nfo"));
        } else if (!readme.isNull()) {
            QFile file(dir.filePath("readme.nfo"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(readme);
        }
        QString text;
        {
            AppFixture app;
            text = forms().Form6->mInfo->toPlainText();
            QVERIFY(forms().Form6->mInfo->isReadOnly());
        }
        QDir::setCurrent(previous);
        const bool builtIn = readme.isNull() || readme == "<dir>";
        if (builtIn) {
            QCOMPARE(text, InfoText::builtIn());
            for (const char* part : {"Version 3.3", "F5", "Strg+E", "Multi-Beep", "z1rpw3rk-peer IP",
                                     "scripts/library-server", "Z1rpW3rk-Team"})
                QVERIFY2(text.contains(part), part);
        } else {
            QCOMPARE(text, QString(shown).replace("\r\n", "\n"));
        }
    }

    void noMidiInputHint() {
        AppFixture app;
        if (forms().Form6->hasMidiInput())
            QSKIP("this system has a MIDI input device");
        QCOMPARE(forms().Form6->toolTip(), QString("NOMIDIIN"));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"

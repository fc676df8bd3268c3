#include "FtpTestServers.h"

#include "base/Errors.h"
#include "gui/ListBox.h"
#include "files/SongFileActions.h"
#include "files/SongFormat.h"
#include "net/LibraryConnection.h"
#include "net/FtpClient.h"
#include "net/FtpPresets.h"
#include "net/LibraryFiles.h"
#include "gui/OnlineLibrary.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsNetworkPage.h"
#include "gui/MainWindow.h"
#include "song/SongHistory.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"
#include "gui/PanelCloseLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

const FtpClient::Limits kShortLimits{2000, 1000, 1000};
const QString kDownloadFailed =
    QStringLiteral("Server ausgelastet oder nicht erreichbar, versuchen sie es erneut");
const QString kListFailed = QStringLiteral(
    "Online Liste konnte nicht bezogen werden. Bitte kontaktieren sie das Qorvel-Network Team");
const QString kUploadFailed = QStringLiteral(
    "Hochladen der Datei fehlgeschlagen. Bitte kontaktieren sie das Qorvel-Network Team");
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

SettingsNetworkPage& page() {
    return *forms().Form6->findChild<SettingsNetworkPage*>();
}
OnlineLibrary& library(TForm1& w) {
    return *w.library;
}

/// The own server, as a user enters it and tests the connection.
void connectTo(const QString& host, const QString& user, const QString& password) {
    // The library server runs in its own process and may be slow on a busy machine; tests that
    // look at the time limits set short ones themselves.
    FtpClient& ftp = *forms().Form1->library->IdFTP1;
    if (ftp.limits().replyMs == FtpClient::Limits().replyMs)
        ftp.setLimits({60000, 60000, 60000});
    SettingsNetworkPage& p = page();
    p.ComboBox1->setCurrentIndex(SettingsNetworkPage::kOwnServerEntry);
    p.edAdresse->setText(host);
    p.edUser->setText(user);
    p.edPw->setText(password);
    p.applyOwnServer();
    p.btTestcon->click();
}

QByteArray readFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray songBytes(const TForm1& w) {
    return SongFormat::write(
        {w.Memo1->items(), w.Memo2->items(), w.Memo3->items(), w.Memo4->items()});
}

/// Each test works in a fresh working directory, where the library keeps its files.
class WorkingDirectory {
public:
    WorkingDirectory() : m_previous(QDir::currentPath()) {
        QDir(m_dir.path()).mkdir(QStringLiteral("work"));
        QDir::setCurrent(m_dir.path() + QStringLiteral("/work"));
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }
    /// The folder above the working directory: nothing may be written there.
    QString parent() const { return m_dir.path(); }
    QStringList files() const { return QDir::current().entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

#define REQUIRE_SERVER(server)                                                                     \
    if (!pyftpdlibAvailable())                                                                     \
        QSKIP("/usr/bin/python3 cannot import pyftpdlib");                                         \
    LibraryServerProcess server;                                                                   \
    QVERIFY(server.running())

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT

private slots:
    void presetsPutCredentialsInPlace_data();
    void presetsPutCredentialsInPlace();
    void startWithoutAutoconnectIsOffline();
    void testConnectionFillsList();
    void clickingNameOpensSong();
    void libraryOpenOverLocalFile_data();
    void libraryOpenOverLocalFile();
    void clickWhileDisconnected_data();
    void clickWhileDisconnected();
    void upload_data();
    void upload();
    void twoUploadsHoldTheirOwnSong();
    void unsafeUploadNameRefused_data();
    void unsafeUploadNameRefused();
    void unsafeListNameRefused();
    void listPanelSlidesInAndOut_data();
    void listPanelSlidesInAndOut();
    void uploadPanelOpensAndCloses();
    void titleVariantsChangeOneLetter();
    void scriptedServer_data();
    void scriptedServer();
    void hostileServer_data();
    void hostileServer();
    void closingWindowSendsQuit();
    void passwordNeverShown();
    void mirrorPortControls();
};

void TestLibrary::presetsPutCredentialsInPlace_data() {
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("autoconnect");
    for (int i = 0; i < 5; ++i)
        QTest::addRow("preset %d", i) << i << true;
    QTest::newRow("without auto-connect") << 0 << false;
    QTest::newRow("own server") << 5 << true;
}

void TestLibrary::presetsPutCredentialsInPlace() {
    QFETCH(int, entry);
    QFETCH(bool, autoconnect);
    AppFixture app;
    TForm1& w = app.main();
    SettingsNetworkPage& p = page();
    QCOMPARE(p.ComboBox1->count(), 6);
    QCOMPARE(p.ComboBox1->itemText(5), QStringLiteral("Wähle eigenes..."));
    QCOMPARE(p.ComboBox1->currentIndex(), 0);
    p.cbAutoconnect->setChecked(autoconnect);
    p.ComboBox1->setCurrentIndex(entry == 0 ? 1 : 0);
    p.ComboBox1->setCurrentIndex(entry);
    if (entry == 5) {
        QVERIFY(p.edAdresse->isEnabled() && p.edUser->isEnabled() && p.edPw->isEnabled());
        return;
    }
    if (!autoconnect) {
        QVERIFY(w.FtpHost.isEmpty() && w.FtpUser.isEmpty() && w.FtpPassword.isEmpty());
        return;
    }
    const FtpPresets::Preset& preset = FtpPresets::presets()[std::size_t(entry)];
    QCOMPARE(w.FtpHost, preset.host);
    QCOMPARE(w.FtpUser, preset.user);
    QCOMPARE(w.FtpPassword, preset.password);
    QCOMPARE(p.edAdresse->text(), preset.host);
    QCOMPARE(p.edUser->text(), QString(preset.user.size(), QLatin1Char('*')));
    QCOMPARE(p.edPw->text(), QString(preset.password.size(), QLatin1Char('*')));
    QVERIFY(!p.edAdresse->isEnabled() && !p.edUser->isEnabled() && !p.edPw->isEnabled());
    // Preset 0 is the library server script on this computer; the others are host names.
    if (entry == 0)
        QCOMPARE(preset.host, QStringLiteral("127.0.0.1:%1").arg(FtpPresets::kLibraryPort));
}

void TestLibrary::startWithoutAutoconnectIsOffline() {
    AppFixture app;
    TForm1& w = app.main();
    OnlineLibrary::connectAtStart(*forms().Form6);
    QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3 - Offline Mode"));
    QCOMPARE(page().Label13->text(), QStringLiteral("not connected"));
    QCOMPARE(page().Label13->palette().color(QPalette::WindowText), kRed);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+:\\d\\d:\\d\\d:\\d\\d\\d$"))
                 .match(page().Label12->text())
                 .hasMatch(),
             qPrintable(page().Label12->text()));
    QVERIFY(app.prompts.messages.isEmpty() && app.prompts.errors.isEmpty());
}

void TestLibrary::testConnectionFillsList() {
    REQUIRE_SERVER(server);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    // The caption as a start that reached its library leaves it (this one had no server).
    w.setWindowTitle(QStringLiteral("Z1rpW3rk 3.3"));
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    QCOMPARE(page().Label13->text(), QStringLiteral("connected"));
    QCOMPARE(page().Label13->palette().color(QPalette::WindowText), kGreen);
    const QByteArray list = server.file(LibraryFiles::kListFile);
    QCOMPARE(library(w).Memo6->items(), LibraryFiles::parseList(list));
    QCOMPARE(library(w).Memo6->count(), 4);
    QCOMPARE(readFile(LibraryFiles::kListFile), list);
    QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3"));
    QVERIFY(app.prompts.messages.isEmpty() && app.prompts.errors.isEmpty());
}

void TestLibrary::clickingNameOpensSong() {
    REQUIRE_SERVER(server);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    ListBox* list = library(w).Memo6;
    const int index = list->items().indexOf(QStringLiteral("Bruder Jakob"));
    QVERIFY(index >= 0);
    clickItem(list, index);
    QCOMPARE(readFile(QStringLiteral("Bruder Jakob.zwk")), server.file("Bruder Jakob.zwk"));
    const SongTracks song = SongFormat::read(server.file("Bruder Jakob.zwk")).song;
    QCOMPARE(w.Memo1->items(), song.freq1);
    QCOMPARE(w.Memo4->items(), song.dur2);
    QCOMPARE(w.Line->count(), song.freq1.size());
    QVERIFY(app.prompts.messages.isEmpty() && app.prompts.errors.isEmpty());
}

// A local file of the song's name is the user's: other contents are replaced only when the
// user agrees.
void TestLibrary::libraryOpenOverLocalFile_data() {
    QTest::addColumn<QByteArray>("local");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("replaced");
    const QByteArray other("1|1|1|1\r\n");
    QTest::newRow("no local file") << QByteArray() << "" << true;
    QTest::newRow("the same contents") << QByteArray("same") << "" << true;
    QTest::newRow("other contents, Ja") << other << "Ja" << true;
    QTest::newRow("other contents, Nein") << other << "Nein" << false;
}

void TestLibrary::libraryOpenOverLocalFile() {
    QFETCH(QByteArray, local);
    QFETCH(QString, answer);
    QFETCH(bool, replaced);
    REQUIRE_SERVER(server);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    const QString name = QStringLiteral("Bruder Jakob.zwk");
    const QByteArray remote = server.file("Bruder Jakob.zwk");
    if (local == "same")
        local = remote;
    if (!local.isEmpty()) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(local) == local.size());
    }
    if (!answer.isEmpty())
        app.prompts.boxAnswers = {answer == QLatin1String("Ja") ? Prompts::Answer::Yes
                                                                : Prompts::Answer::No};
    ListBox* list = library(w).Memo6;
    clickItem(list, int(list->items().indexOf(QStringLiteral("Bruder Jakob"))));
    QCOMPARE(app.prompts.texts(), answer.isEmpty()
                                      ? QStringList{}
                                      : QStringList{LibraryConnection::localCopyQuestion(name)});
    QCOMPARE(readFile(name), replaced ? remote : local);
    QCOMPARE(w.Memo1->items(), replaced ? SongFormat::read(remote).song.freq1 : QStringList{});
}

void TestLibrary::clickWhileDisconnected_data() {
    QTest::addColumn<bool>("localCopy");
    QTest::newRow("a local copy is opened") << true;
    QTest::newRow("no local copy") << false;
}

void TestLibrary::clickWhileDisconnected() {
    QFETCH(bool, localCopy);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {"1 1 1 1"});
    // Only the download is looked at here: the song counts as saved.
    w.history->markClean();
    if (localCopy) {
        QFile file(QStringLiteral("Kuckuck.zwk"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("392|600|131|600\r\n330|600|196|600\r\n");
    }
    library(w).Memo6->add(QStringLiteral("Kuckuck"));
    clickItem(library(w).Memo6, 0);
    QCOMPARE(app.prompts.messages.size(), localCopy ? 1 : 2);
    QCOMPARE(app.prompts.messages[0].text, kDownloadFailed);
    QCOMPARE(app.prompts.messages[0].caption, QStringLiteral("Fehler"));
    QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Information);
    if (localCopy) {
        QCOMPARE(songRows(w), QStringList({"392 600 131 600", "330 600 196 600"}));
        QVERIFY(app.prompts.errors.isEmpty());
    } else {
        // Opening the missing file reports the song file's own error.
        QCOMPARE(app.prompts.messages[1].text, QStringLiteral("Datei nicht gefunden: Kuckuck.zwk"));
        QCOMPARE(songRows(w), QStringList{"1 1 1 1"});
    }
}

void TestLibrary::upload_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("sent");
    QTest::newRow("new name") << "Mein Lied" << true;
    QTest::newRow("name in the list") << "Bruder Jakob" << false;
    QTest::newRow("differs only in case") << "bruder jakob" << true;
    QTest::newRow("umlaut") << "Hänschen klein" << true;
}

void TestLibrary::upload() {
    QFETCH(QString, name);
    QFETCH(bool, sent);
    REQUIRE_SERVER(server);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    const QByteArray listBefore = server.file(LibraryFiles::kListFile);
    setSong(w, {"440 100 0 100", "$1B8 250 660 0x10", "0 50 880 50"});
    const QByteArray expected = songBytes(w);
    library(w).edDateiname->setText(name);
    library(w).bthochladen->click();

    const QString fileName = name + QStringLiteral(".zwk");
    // The local file holds the song as "Speichern" writes it, in any case.
    QCOMPARE(readFile(fileName), expected);
    QCOMPARE(library(w).connection->Memo5, QStringList({"440|100|0|100", "$1B8|250|660|0x10", "0|50|880|50"}));
    if (sent) {
        QVERIFY(app.prompts.messages.isEmpty());
        QCOMPARE(server.file(fileName), expected);
        const QByteArray list = server.file(LibraryFiles::kListFile);
        QCOMPARE(list, listBefore + name.toUtf8() + "\r\n");
        QCOMPARE(readFile(LibraryFiles::kListFile), list);
        QCOMPARE(library(w).Memo6->items().last(), name);
    } else {
        QCOMPARE(app.prompts.messages.size(), 1);
        QCOMPARE(app.prompts.messages[0].text, QStringLiteral("Song bereits vorhanden"));
        QCOMPARE(app.prompts.messages[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Error);
        QCOMPARE(server.file(LibraryFiles::kListFile), listBefore);
        QVERIFY(server.file(fileName) != expected);
    }
    QVERIFY(app.prompts.errors.isEmpty());
}

void TestLibrary::twoUploadsHoldTheirOwnSong() {
    REQUIRE_SERVER(server);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    setSong(w, {"440 100 0 100", "550 100 0 100"});
    const QStringList fetched = library(w).Memo6->items();
    const QByteArray first = songBytes(w);
    library(w).edDateiname->setText(QStringLiteral("Erstes"));
    library(w).bthochladen->click();
    setSong(w, {"330 200 0 200"});
    // The second upload sends the list as fetched before the first, as another user would:
    // the server's list keeps both names.
    library(w).Memo6->clearItems();
    library(w).Memo6->addAll(fetched);
    const QByteArray second = songBytes(w);
    library(w).edDateiname->setText(QStringLiteral("Zweites"));
    library(w).bthochladen->click();
    QCOMPARE(server.file("Erstes.zwk"), first);
    QCOMPARE(server.file("Zweites.zwk"), second);
    QCOMPARE(LibraryFiles::parseList(server.file(LibraryFiles::kListFile)).mid(4),
             QStringList({"Erstes", "Zweites"}));
    QVERIFY(app.prompts.messages.isEmpty());
}

void TestLibrary::unsafeUploadNameRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("slash") << "../../etc/lied";
    QTest::newRow("backslash") << "ordner\\lied";
    QTest::newRow("parent") << "..";
    QTest::newRow("CR LF injects a command") << "lied\r\nDELE list.vrq";
    QTest::newRow("control character") << "lied\x01";
}

void TestLibrary::unsafeUploadNameRefused() {
    QFETCH(QString, name);
    REQUIRE_SERVER(server);
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    const QStringList filesBefore = dir.files();
    const QByteArray listBefore = server.file(LibraryFiles::kListFile);
    setSong(w, {"440 100 0 100"});
    library(w).edDateiname->setText(name);
    library(w).bthochladen->click();
    QCOMPARE(app.prompts.messages.size(), 1);
    QCOMPARE(app.prompts.messages[0].text, LibraryFiles::kUnsafeName);
    QCOMPARE(app.prompts.messages[0].caption, QStringLiteral("Fehler"));
    QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Error);
    QCOMPARE(dir.files(), filesBefore);
    QCOMPARE(QDir(dir.parent()).entryList(QDir::Files), QStringList());
    QCOMPARE(server.file(LibraryFiles::kListFile), listBefore);
    QCOMPARE(QDir(server.folder()).entryList(QDir::Files).size(), 5);
    QCOMPARE(library(w).Memo6->count(), 4);
}

void TestLibrary::unsafeListNameRefused() {
    REQUIRE_SERVER(server);
    server.setFile(LibraryFiles::kListFile, "../Kuckuck\r\nKuckuck/x\r\nKuckuck\r\n");
    WorkingDirectory dir;
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    ListBox* list = library(w).Memo6;
    QCOMPARE(list->count(), 3);
    clickItem(list, 0);
    clickItem(list, 1);
    QCOMPARE(app.prompts.messages.size(), 2);
    QCOMPARE(app.prompts.messages[1].text, LibraryFiles::kUnsafeName);
    QCOMPARE(QDir(dir.parent()).entryList(QDir::Files), QStringList());
    QCOMPARE(dir.files(), QStringList{LibraryFiles::kListFile});
    QCOMPARE(w.Memo1->count(), 0);
    clickItem(list, 2);
    QCOMPARE(w.Memo1->count(), 38);
}

void TestLibrary::listPanelSlidesInAndOut_data() {
    QTest::addColumn<bool>("connected");
    QTest::newRow("connected") << true;
    QTest::newRow("offline") << false;
}

void TestLibrary::listPanelSlidesInAndOut() {
    QFETCH(bool, connected);
    WorkingDirectory dir;
    ScriptedFtpServer server;
    server.files["list.vrq"] = "Eins\r\nZwei\r\n";
    AppFixture app;
    TForm1& w = app.main();
    if (connected)
        connectTo(server.host(), "zwk", "pw");
    OnlineLibrary& lib = library(w);
    QWidget* client = w.centralWidget();
    const int base = client->height();
    const int songHeight = w.Memo1->height();
    const QPoint logo = w.Label9->pos();
    server.files["list.vrq"] = "Eins\r\nZwei\r\nDrei\r\n";

    w.ListderonlineDateien1->trigger();
    QVERIFY(w.ListderonlineDateien1->isChecked());
    QCOMPARE(lib.ListBaseHeight, base);
    QTRY_VERIFY_WITH_TIMEOUT(!lib.TimerFadeListe->isActive(), 10000);
    QCOMPARE(client->height(), base + 160);
    QCOMPARE(lib.Memo6->geometry(), QRect(0, base, 529, 161));
    QCOMPARE(w.Memo1->height(), songHeight);
    QCOMPARE(w.Label9->pos(), logo);
    if (connected) {
        QCOMPARE(lib.Memo6->items(), QStringList({"Eins", "Zwei", "Drei"}));
        QVERIFY(app.prompts.messages.isEmpty());
    } else {
        QCOMPARE(app.prompts.messages.size(), 1);
        QCOMPARE(app.prompts.messages[0].text, kListFailed);
        QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Error);
    }

    w.ListderonlineDateien1->trigger();
    QVERIFY(!w.ListderonlineDateien1->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!lib.TimerFadeListe->isActive(), 10000);
    QCOMPARE(client->height(), base);
    QCOMPARE(lib.Memo6->y(), base); // just below the visible area again
    QCOMPARE(w.Memo1->height(), songHeight);
}

void TestLibrary::uploadPanelOpensAndCloses() {
    AppFixture app;
    TForm1& w = app.main();
    OnlineLibrary& lib = library(w);
    w.setWindowTitle(QStringLiteral("Z1rpW3rk 3.3 - Offline Mode"));
    w.Hochladen1->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3"));
    QVERIFY(w.Hochladen1->isChecked());
    QVERIFY(w.SidePanelOpen);
    QVERIFY(lib.gbHochladen->isVisible());
    QCOMPARE(app.prompts.messages.size(), 1);
    QCOMPARE(app.prompts.messages[0].text,
             QStringLiteral("Bedenke, die Datei wird Unveränderbar hochgeladen"));
    QCOMPARE(app.prompts.messages[0].caption, QStringLiteral("Hinweis"));
    QCOMPARE(app.prompts.messages[0].icon, Prompts::Icon::Information);
    QCOMPARE(lib.Label7->text(), QStringLiteral("Dateiname"));
    QCOMPARE(lib.bthochladen->text(), QStringLiteral("Hochladen"));
    QCOMPARE(lib.gbHochladen->title(), QStringLiteral("Hochladen"));

    QTest::mouseClick(lib.Label8, Qt::LeftButton);
    QVERIFY(!lib.gbHochladen->isVisible());
    QVERIFY(!w.Hochladen1->isChecked());
    QVERIFY(!w.SidePanelOpen);

    w.Hochladen1->trigger();
    w.Hochladen1->trigger(); // closing shows no note
    QVERIFY(!w.Hochladen1->isChecked());
    QVERIFY(!lib.gbHochladen->isVisible());
    QCOMPARE(app.prompts.messages.size(), 2);
}

void TestLibrary::titleVariantsChangeOneLetter() {
    const QStringList& variants = OnlineLibrary::titleVariants();
    QCOMPARE(variants.size(), 9);
    QCOMPARE(variants.first(), QStringLiteral("Z1rpW3rk"));
    QCOMPARE(variants.last(), QStringLiteral("Z1rpW3rk"));
    QVERIFY(variants.contains(QStringLiteral("Zirpwerk")));
    for (int i = 1; i < variants.size(); ++i) {
        int changed = 0;
        for (int k = 0; k < variants[i].size(); ++k)
            changed += variants[i][k] != variants[i - 1][k];
        QCOMPARE(changed, 1);
    }
}

void TestLibrary::scriptedServer_data() {
    using Rule = ScriptedFtpServer::Rule;
    using Session = ScriptedFtpServer::Session;
    QTest::addColumn<bool>("greet");
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QByteArray>("file"); // the rule applies to RETR of this file only
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<QString>("status");  // after "Teste"
    QTest::addColumn<QString>("message"); // after a click on the song, empty for none

    const Rule silentMidTransfer = [](Session& s, const QByteArray&) {
        s.reply("150 sending");
        s.openData()->write("440|100|");
    };
    QTest::newRow("greeting never comes")
        << false << QByteArray() << QByteArray() << Rule() << "not connected"
        << "";
    QTest::newRow("426 then 226 on the list")
        << true << QByteArray("RETR") << QByteArray("list.vrq")
        << Rule([](Session& s, const QByteArray&) {
               s.reply("150 sending");
               s.server->sendData(s, "Lied\r\n", "426 aborted\r\n226 closed");
           })
        << "not connected"
        << "";
    QTest::newRow("refused PORT for the list: passive")
        << true << QByteArray("PORT") << QByteArray()
        << Rule([](Session& s, const QByteArray&) { s.reply("500 no"); }) << "connected"
        << "";
    QTest::newRow("list transfer stops midway")
        << true << QByteArray("RETR") << QByteArray("list.vrq") << silentMidTransfer
        << "not connected"
        << "";
    QTest::newRow("song transfer stops midway")
        << true << QByteArray("RETR") << QByteArray("Lied.zwk") << silentMidTransfer << "connected"
        << kDownloadFailed;
}

void TestLibrary::scriptedServer() {
    QFETCH(bool, greet);
    QFETCH(QByteArray, verb);
    QFETCH(QByteArray, file);
    QFETCH(ScriptedFtpServer::Rule, rule);
    QFETCH(QString, status);
    QFETCH(QString, message);
    WorkingDirectory dir;
    ScriptedFtpServer server;
    server.greet = greet;
    server.files["list.vrq"] = "Lied\r\n";
    server.files["Lied.zwk"] = "660|100|0|100\r\n";
    if (rule)
        server.rules[verb] = [&server, file, rule](ScriptedFtpServer::Session& s,
                                                   const QByteArray& argument) {
            if (file.isEmpty() || argument == file)
                rule(s, argument);
            else
                server.standard(s, "RETR", argument);
        };
    // An earlier download of the song: a failed one leaves it whole, and it is opened.
    QFile earlier(QStringLiteral("Lied.zwk"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("220|100|0|100\r\n");
    earlier.close();

    AppFixture app;
    TForm1& w = app.main();
    library(w).IdFTP1->setLimits(kShortLimits);
    w.setWindowTitle(QStringLiteral("Z1rpW3rk 3.3")); // as after a start that connected
    QElapsedTimer clock;
    clock.start();
    connectTo(server.host(), "zwk", "pw");
    QVERIFY(clock.elapsed() < 20000);
    QCOMPARE(page().Label13->text(), status);
    QCOMPARE(w.windowTitle() == QStringLiteral("Z1rpW3rk 3.3 - Offline Mode"),
             status == QLatin1String("not connected"));
    if (status == QLatin1String("not connected"))
        return;
    QCOMPARE(library(w).Memo6->items(), QStringList{"Lied"});
    app.prompts.boxAnswers = {Prompts::Answer::Yes};
    clickItem(library(w).Memo6, 0);
    if (message.isEmpty()) {
        // The earlier download differs from the server's song: replacing it is asked first.
        QCOMPARE(app.prompts.texts(),
                 QStringList{LibraryConnection::localCopyQuestion(QStringLiteral("Lied.zwk"))});
        QCOMPARE(songRows(w), QStringList{"660 100 0 100"});
    } else {
        QCOMPARE(app.prompts.messages.size(), 1);
        QCOMPARE(app.prompts.messages[0].text, message);
        QCOMPARE(songRows(w), QStringList{"220 100 0 100"});
    }
}

void TestLibrary::hostileServer_data() {
    using Session = ScriptedFtpServer::Session;
    using Rule = ScriptedFtpServer::Rule;
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QByteArray>("file"); // the rule answers this argument after `spare` others
    QTest::addColumn<int>("spare");
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<QByteArray>("list"); // the server's list
    QTest::addColumn<QString>("then");    // after "Teste": "song" (click), "list" (Ctrl+L), "upload"
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message"); // shown by the step after "Teste", empty for none
    const QByteArray plain = "Lied\r\n", latin1 = "H\xe4nschen\r\nLied\r\n";
    const auto sending = [](auto then) {
        return Rule([then](Session& s, const QByteArray&) { s.reply("150 sending"); then(s); });
    };
    const Rule trickle = sending([](Session& s) {
        QObject::connect(new QTimer(s.openData()), &QTimer::timeout, s.data, [d = s.data] { d->write("L"); });
        s.data->findChild<QTimer*>()->start(1000);
    });
    const Rule endless = sending([](Session& s) { Session::flood(s.openData(), "Lied\r\n"); });
    const Rule endlessLine = [](Session& s, const QByteArray&) { Session::flood(s.control, "x"); };
    const Rule aborted = sending([](Session& s) { s.server->sendData(s, "660|", "426 x\r\n226 y"); });
    const Rule reset = sending([](Session& s) {
        s.openData()->write("660|");
        s.data->waitForBytesWritten(1000);
        const linger hard{1, 0};
        ::setsockopt(int(s.data->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        s.data->abort();
        s.reply("226 done");
    });
    const Rule unasked = [](Session& s, const QByteArray&) { s.reply("250 ok\r\n200 unasked"); };
    const QByteArray retr = "RETR", list = "list.vrq", song = "Lied.zwk";
    QTest::newRow("list trickles a byte a second")
        << retr << list << 1 << trickle << plain << "list" << "connected" << kListFailed;
    QTest::newRow("endless list") << retr << list << 0 << endless << plain << "" << "not connected" << "";
    QTest::newRow("endless reply line")
        << retr << song << 0 << endlessLine << plain << "song" << "connected" << kDownloadFailed;
    QTest::newRow("426 then 226 on the song")
        << retr << song << 0 << aborted << plain << "song" << "connected" << kDownloadFailed;
    QTest::newRow("reset then 226 on the song")
        << retr << song << 0 << reset << plain << "song" << "connected" << kDownloadFailed;
    QTest::newRow("unrequested reply")
        << QByteArray("CWD") << QByteArray("/zwk/") << 0 << unasked << plain << "song" << "connected" << "";
    // A refused PORT turns the connection passive; a late reply to an earlier command is
    // not taken for the answer to the next one.
    const Rule refusePort = [](Session& s, const QByteArray&) { s.reply("550 Permission denied"); };
    const Rule lateReply = [](Session& s, const QByteArray& arg) {
        s.reply("226 late");
        s.server->standard(s, "PORT", arg);
    };
    QTest::newRow("PORT refused") << QByteArray("PORT") << QByteArray() << 0 << refusePort << plain
                                  << "song" << "connected" << "";
    QTest::newRow("late unasked reply") << QByteArray("PORT") << QByteArray() << 0 << lateReply
                                        << plain << "song" << "connected" << "";
    // A full disk: the song's part is deleted, the list stays as it was, here and there.
    const Rule quotaFull = [](Session& s, const QByteArray& name) {
        s.reply("150 receiving");
        s.server->receiveData(s, name, "552 Quota exceeded");
    };
    QTest::newRow("quota full") << QByteArray("STOR") << QByteArray("Neu.zwk") << 0 << quotaFull
                                << plain << "upload" << "connected" << kUploadFailed;
    QTest::newRow("8-bit list, song") << retr << song << 0 << Rule() << latin1 << "song" << "connected" << "";
    QTest::newRow("8-bit list, upload") << retr << song << 0 << Rule() << latin1 << "upload" << "connected" << "";
}

void TestLibrary::hostileServer() {
    QFETCH(QByteArray, verb);
    QFETCH(QByteArray, file);
    QFETCH(int, spare);
    QFETCH(ScriptedFtpServer::Rule, rule);
    QFETCH(QByteArray, list);
    QFETCH(QString, then);
    QFETCH(QString, status);
    QFETCH(QString, message);
    WorkingDirectory dir;
    ScriptedFtpServer server;
    server.files["list.vrq"] = list;
    for (const QByteArray& name : LibraryFiles::listEntries(list))
        server.files[name + ".zwk"] = "660|100|0|100\r\n";
    server.rules[verb] = [&server, verb, file, rule, spare](auto& s, const QByteArray& arg) mutable {
        if (rule && (file.isEmpty() || arg == file) && spare-- <= 0)
            return rule(s, arg);
        server.standard(s, verb, arg);
    };
    QFile earlier(QStringLiteral("Lied.zwk"));
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("220|100|0|100\r\n") > 0);
    earlier.close();
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {"220 100 0 100"});
    // Only the exchange is looked at here: the song counts as saved.
    w.history->markClean();
    library(w).IdFTP1->setLimits(kShortLimits);
    // Each step ends within its limits (about three seconds here) however the server spaces or
    // sizes what it sends; the bound leaves room for a busy machine.
    QElapsedTimer clock;
    clock.start();
    connectTo(server.host(), "zwk", "pw");
    QCOMPARE(page().Label13->text(), status);
    if (then == QLatin1String("song"))
        clickItem(library(w).Memo6, 0);
    else if (then == QLatin1String("list"))
        w.ListderonlineDateien1->trigger();
    else if (then == QLatin1String("upload"))
        library(w).edDateiname->setText(QStringLiteral("Neu")), library(w).bthochladen->click();
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    // A downloaded song that differs from an earlier copy asks before replacing it ("Ja").
    const bool fetched = then == QLatin1String("song") && message.isEmpty();
    if (fetched) {
        const QString question = LibraryConnection::localCopyQuestion(
            LibraryFiles::songFileName(library(w).Memo6->item(0)));
        app.prompts.messages.removeIf(
            [&](const ScriptedPrompts::Message& m) { return m.text == question; });
    }
    QCOMPARE(app.prompts.messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(app.prompts.messages[0].text, message);
    // A failed download leaves the earlier copy whole; nothing of a refused list is written;
    // the lists keep every entry's bytes.
    QCOMPARE(songRows(w), QStringList{fetched ? "660 100 0 100" : "220 100 0 100"});
    if (then == QLatin1String("song"))
        QCOMPARE(readFile(LibraryFiles::songFileName(library(w).Memo6->item(0))),
                 QByteArray(fetched ? "660|100|0|100\r\n" : "220|100|0|100\r\n"));
    const bool uploaded = then == QLatin1String("upload") && message.isEmpty();
    const QByteArray served = list + (uploaded ? "Neu\r\n" : "");
    QCOMPARE(server.files["list.vrq"], served);
    if (then == QLatin1String("upload"))
        QCOMPARE(server.files.count("Neu.zwk"), size_t(uploaded));
    QCOMPARE(readFile(LibraryFiles::kListFile), status == QLatin1String("connected") ? served : QByteArray());
}

void TestLibrary::closingWindowSendsQuit() {
    WorkingDirectory dir;
    ScriptedFtpServer server;
    server.files["list.vrq"] = "Lied\r\n";
    AppFixture app;
    TForm1& w = app.main();
    connectTo(server.host(), "zwk", "pw");
    QCOMPARE(page().Label13->text(), QStringLiteral("connected"));
    QVERIFY(!server.commands.contains("QUIT"));
    w.close();
    QTRY_VERIFY(server.commands.contains("QUIT"));
    QVERIFY(!library(w).IdFTP1->isConnected());
}

namespace {
QStringList g_logged;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    g_logged << text;
}
} // namespace

void TestLibrary::passwordNeverShown() {
    WorkingDirectory dir;
    ScriptedFtpServer server;
    server.rules["PASS"] = [](ScriptedFtpServer::Session& s, const QByteArray&) {
        s.reply("530 login incorrect");
    };
    const QString secret = QStringLiteral("Geheim-4711");
    g_logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    {
        AppFixture app;
        TForm1& w = app.main();
        connectTo(server.host(), "zwk", secret);
        library(w).Memo6->add(QStringLiteral("Lied"));
        clickItem(library(w).Memo6, 0);
        library(w).edDateiname->setText(QStringLiteral("Neu"));
        library(w).bthochladen->click();
        QCOMPARE(page().Label13->text(), QStringLiteral("not connected"));
        QCOMPARE(app.prompts.messages.first().text, kDownloadFailed);
        QCOMPARE(app.prompts.messages.last().text, kUploadFailed);
        for (const QString& text : app.prompts.texts() + app.prompts.errors)
            QVERIFY(!text.contains(secret));
        for (const QLabel* label : forms().Form6->findChildren<QLabel*>())
            QVERIFY(!label->text().contains(secret));
        QVERIFY(!w.windowTitle().contains(secret));
    }
    qInstallMessageHandler(previous);
    for (const QString& text : g_logged)
        QVERIFY2(!text.contains(secret), qPrintable(text));
    QVERIFY(server.commands.contains("PASS " + secret.toUtf8()));
}

void TestLibrary::mirrorPortControls() {
    AppFixture app;
    TForm1& w = app.main();
    SettingsNetworkPage& p = page();
    QCOMPARE(p.edPort->text(), QStringLiteral("1337"));
    p.edPort->setText(QStringLiteral("4000"));
    p.Button2->click();
    QCOMPARE(p.edPort->text(), QStringLiteral("1337"));
    QCOMPARE(w.mirror ? 1 : 0, 1);

    QVERIFY(p.RadioGroup1Item0->isChecked());
    p.RadioGroup1Item1->click();
    QVERIFY(p.RadioGroup1Item0->isChecked());
    QVERIFY(!p.RadioGroup1Item1->isChecked());
    QCOMPARE(p.RadioGroup1Item1->text(), QStringLiteral("COM (not implemented yet)"));

    p.edPort->setText(QStringLiteral("abc"));
    try {
        p.applyMirrorPort();
        QFAIL("a port that is no number was applied");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), QStringLiteral("'abc' ist kein gültiger Integerwert"));
    }
    p.loadMirrorPort(0x539);
    QCOMPARE(p.edPort->text(), QStringLiteral("1337"));
}

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"

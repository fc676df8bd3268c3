#include "FtpTestServers.h"

#include "net/FtpClient.h"
#include "net/LibraryFiles.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {

const FtpClient::Limits kShortLimits{2000, 1000, 1000};
// The real server runs in its own process: on a busy machine it may be slow to answer, which
// is not what these tests look at.
const FtpClient::Limits kPatient{60000, 60000, 60000};
constexpr int kGenerous = 20000; // a wait ends long before this, never a measurement

/// Runs one call and returns its error text (empty when it succeeded) and how long it took.
template <typename Call> std::pair<QString, qint64> attempt(Call&& call) {
    QElapsedTimer clock;
    clock.start();
    try {
        call();
    } catch (const FtpError& e) {
        return {e.message(), clock.elapsed()};
    }
    return {QString(), clock.elapsed()};
}

QByteArray everyByte(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xFF);
    return bytes;
}

} // namespace

class TestFtpClient : public QObject {
    Q_OBJECT

private slots:
    void hostAndPort_data();
    void hostAndPort();
    void songNames_data();
    void songNames();
    void listFile_data();
    void listFile();

    void realServerExchange();
    void realServerLoginRefused();
    void realServerFailuresKeepConnection();
    void realServerStoreReplacesAndRoundTrips_data();
    void realServerStoreReplacesAndRoundTrips();
    void realServerThreeUsersAtOnce_data();
    void realServerThreeUsersAtOnce();

    void scriptedReplies_data();
    void scriptedReplies();
    void quitSendsQuitAndCloses();
    void commandsWithoutConnectionFail();
    void lineBreakInArgumentNeverSent();
};

void TestFtpClient::hostAndPort_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("name") << "library"
                          << "library" << 21;
    QTest::newRow("name and port") << "library:2121"
                                   << "library" << 2121;
    QTest::newRow("address and port") << "127.0.0.1:2121"
                                      << "127.0.0.1" << 2121;
    QTest::newRow("blanks around") << "  library:2121 "
                                   << "library" << 2121;
    QTest::newRow("port not a number") << "library:ftp"
                                       << "library" << 21;
    QTest::newRow("port out of range") << "library:70000"
                                       << "library" << 21;
    QTest::newRow("port zero") << "library:0"
                               << "library" << 21;
    QTest::newRow("IPv6 address") << "::1"
                                  << "::1" << 21;
    QTest::newRow("empty") << ""
                           << "" << 21;
}

void TestFtpClient::hostAndPort() {
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    const auto [gotHost, gotPort] = FtpClient::splitHostPort(text);
    QCOMPARE(gotHost, host);
    QCOMPARE(gotPort, port);
}

void TestFtpClient::songNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "Bruder Jakob" << true;
    QTest::newRow("umlaut") << "Hänschen klein" << true;
    QTest::newRow("one dot") << "v1.2" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("slash") << "lieder/neu" << false;
    QTest::newRow("leading slash") << "/etc/passwd" << false;
    QTest::newRow("backslash") << "lieder\\neu" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("dots inside") << "a..b" << true;
    QTest::newRow("dots at the end") << "Warte..." << true;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("CR LF command") << "x\r\nDELE list.vrq" << false;
    QTest::newRow("LF") << "x\ny" << false;
    QTest::newRow("tab") << "x\ty" << false;
    QTest::newRow("NUL") << QString(QChar(0)) + "x" << false;
    QTest::newRow("DEL") << "x\x7fy" << false;
}

void TestFtpClient::songNames() {
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(LibraryFiles::isSafeSongName(name), safe);
}

void TestFtpClient::listFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("one line end") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("UTF-8") << QByteArray("H\xc3\xa4nschen\r\n") << QStringList{"Hänschen"};
    QTest::newRow("Latin-1") << QByteArray("H\xe4nschen\r\n") << QStringList{"Hänschen"};
    QTest::newRow("UTF-8 and Latin-1 entries")
        << QByteArray("H\xc3\xa4nschen\nH\xe4nschen\r") << QStringList{"Hänschen", "Hänschen"};
}

void TestFtpClient::listFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QCOMPARE(LibraryFiles::parseList(bytes), names);
    // Written back, every entry keeps its bytes, whatever its encoding and line end.
    const QList<QByteArray> entries = LibraryFiles::listEntries(bytes);
    QCOMPARE(LibraryFiles::listEntries(LibraryFiles::joinEntries(entries)), entries);
    if (!names.contains(QString()))
        QCOMPARE(LibraryFiles::parseList(LibraryFiles::formatList(names)), names);
}

void TestFtpClient::realServerExchange() {
    if (!pyftpdlibAvailable())
        QSKIP("/usr/bin/python3 cannot import pyftpdlib");
    LibraryServerProcess server;
    QVERIFY(server.running());
    FtpClient ftp;
    ftp.setLimits(kPatient);
    ftp.connectToHost(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    QVERIFY(ftp.isConnected());
    ftp.changeDirectory(LibraryFiles::kFolder);
    const QByteArray list = ftp.retrieve(LibraryFiles::kListFile);
    QCOMPARE(list, server.file(LibraryFiles::kListFile));
    QVERIFY(LibraryFiles::parseList(list).contains(QStringLiteral("Bruder Jakob")));
    QCOMPARE(ftp.retrieve(QStringLiteral("Bruder Jakob.zwk")), server.file("Bruder Jakob.zwk"));
    // The same connection carries any number of transfers.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(ftp.retrieve(LibraryFiles::kListFile), list);
    ftp.quit();
    QVERIFY(!ftp.isConnected());
}

void TestFtpClient::realServerLoginRefused() {
    if (!pyftpdlibAvailable())
        QSKIP("/usr/bin/python3 cannot import pyftpdlib");
    LibraryServerProcess server;
    QVERIFY(server.running());
    FtpClient ftp;
    ftp.setLimits(kPatient);
    const QString secret = QStringLiteral("geheim-1234");
    const auto [error, ms] = attempt([&] { ftp.connectToHost(server.host(), "zwk", secret); });
    QVERIFY2(error.startsWith(QStringLiteral("PASS: 530")), qPrintable(error));
    QVERIFY(!error.contains(secret));
    QVERIFY(!ftp.isConnected());
}

void TestFtpClient::realServerFailuresKeepConnection() {
    if (!pyftpdlibAvailable())
        QSKIP("/usr/bin/python3 cannot import pyftpdlib");
    LibraryServerProcess server;
    QVERIFY(server.running());
    FtpClient ftp;
    ftp.setLimits(kPatient);
    ftp.connectToHost(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    QString error = attempt([&] { ftp.changeDirectory("/nirgends/"); }).first;
    QVERIFY2(error.startsWith(QStringLiteral("CWD: 550")), qPrintable(error));
    QVERIFY(ftp.isConnected());
    ftp.changeDirectory(LibraryFiles::kFolder);
    error = attempt([&] { ftp.retrieve("fehlt.zwk"); }).first;
    QVERIFY2(error.startsWith(QStringLiteral("RETR: 550")), qPrintable(error));
    QVERIFY(ftp.isConnected());
    QVERIFY(!ftp.retrieve(LibraryFiles::kListFile).isEmpty());
}

void TestFtpClient::realServerStoreReplacesAndRoundTrips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("small song replaced")
        << "neu.zwk" << QByteArray("440|100|0|100\r\n") << QByteArray("500|10|0|10\r\n");
    QTest::newRow("empty file") << "leer.zwk" << QByteArray() << QByteArray("1|1|1|1\r\n");
    QTest::newRow("every byte value, 3 MB") << "gross.bin" << everyByte(3 << 20) << everyByte(77);
    QTest::newRow("name with blanks and umlaut")
        << "Hänschen klein.zwk" << QByteArray("330|300|0|300\r\n") << QByteArray("x");
    QTest::newRow("existing song replaced")
        << "Bruder Jakob.zwk" << QByteArray("a\r\n") << QByteArray("a\r\nb\r\n");
}

void TestFtpClient::realServerStoreReplacesAndRoundTrips() {
    QFETCH(QString, name);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    if (!pyftpdlibAvailable())
        QSKIP("/usr/bin/python3 cannot import pyftpdlib");
    LibraryServerProcess server;
    QVERIFY(server.running());
    FtpClient ftp;
    ftp.setLimits(kPatient);
    ftp.connectToHost(server.host(), LibraryServerProcess::kUser, LibraryServerProcess::kPassword);
    ftp.changeDirectory(LibraryFiles::kFolder);
    ftp.store(name, first);
    QCOMPARE(server.file(name).size(), first.size());
    QVERIFY(server.file(name) == first);
    QVERIFY(ftp.retrieve(name) == first);
    ftp.store(name, second);
    QVERIFY(server.file(name) == second);
}

void TestFtpClient::realServerThreeUsersAtOnce_data() {
    QTest::addColumn<bool>("passive");
    QTest::newRow("active") << false;
    QTest::newRow("passive") << true;
}

void TestFtpClient::realServerThreeUsersAtOnce() {
    QFETCH(bool, passive);
    if (!pyftpdlibAvailable())
        QSKIP("/usr/bin/python3 cannot import pyftpdlib");
    LibraryServerProcess server;
    QVERIFY(server.running());
    const QByteArray list = server.file(LibraryFiles::kListFile);
    // Three users fetch and store at the same time, each on its own thread. A stalled session
    // never recovers, so patient limits still catch one while a busy machine does no harm.
    QStringList errors(3);
    QList<QThread*> users;
    for (int user = 0; user < 3; ++user)
        users.append(QThread::create([&, user] {
            FtpClient ftp;
            ftp.setLimits(kPatient);
            ftp.setPassive(passive);
            errors[user] = attempt([&] {
                ftp.connectToHost(server.host(), LibraryServerProcess::kUser,
                                  LibraryServerProcess::kPassword);
                ftp.changeDirectory(LibraryFiles::kFolder);
                const QString name = QStringLiteral("user%1.bin").arg(user);
                for (int round = 0; round < 8; ++round) {
                    if (ftp.retrieve(LibraryFiles::kListFile).isEmpty())
                        throw FtpError(QStringLiteral("empty list"));
                    ftp.store(name, everyByte(1000 + round));
                }
                ftp.quit();
            }).first;
        }));
    for (QThread* thread : users)
        thread->start();
    for (QThread* thread : users) {
        QVERIFY(thread->wait(120000));
        delete thread;
    }
    QCOMPARE(errors, QStringList(3));
    for (int user = 0; user < 3; ++user)
        QVERIFY(server.file(QStringLiteral("user%1.bin").arg(user)) == everyByte(1007));
    QVERIFY(server.file(LibraryFiles::kListFile).startsWith(list));
}

void TestFtpClient::scriptedReplies_data() {
    using Rule = ScriptedFtpServer::Rule;
    using Session = ScriptedFtpServer::Session;
    QTest::addColumn<bool>("greet");
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<Rule>("rule");
    QTest::addColumn<QString>("operation"); // "connect", "retrieve" or "store"
    QTest::addColumn<QString>("error");     // start of the error, empty for success
    QTest::addColumn<int>("limit");         // the time limit the failure waits, 0 for none

    const Rule nothing = [](Session&, const QByteArray&) {};
    QTest::newRow("greeting never comes") << false << QByteArray() << Rule() << "connect"
                                          << "greeting: no reply" << 1000;
    QTest::newRow("greeting refused")
        << true << QByteArray("USER")
        << Rule([](Session& s, const QByteArray&) { s.reply("421 too many users"); }) << "connect"
        << "USER: 421" << 0;
    QTest::newRow("login without password")
        << true << QByteArray("USER")
        << Rule([](Session& s, const QByteArray&) { s.reply("230 welcome"); }) << "retrieve"
        << "" << 0;
    QTest::newRow("SYST not understood is tolerated")
        << true << QByteArray("SYST")
        << Rule([](Session& s, const QByteArray&) { s.reply("500 what?"); }) << "retrieve"
        << "" << 0;
    QTest::newRow("TYPE refused") << true << QByteArray("TYPE")
                                  << Rule([](Session& s, const QByteArray&) { s.reply("504 no"); })
                                  << "connect"
                                  << "TYPE: 504" << 0;
    // A refused PORT turns the connection passive.
    QTest::newRow("refused PORT") << true << QByteArray("PORT")
                                  << Rule([](Session& s, const QByteArray&) {
                                         s.reply("550 Permission denied");
                                     })
                                  << "store"
                                  << "" << 0;
    QTest::newRow("refused PORT and EPSV: PASV, to the server's address")
        << true << QByteArray("PORT") << Rule([](Session& s, const QByteArray&) {
               s.server->rules["EPSV"] = [](Session& s, const QByteArray&) { s.reply("502 no"); };
               s.reply("501 not here");
           })
        << "retrieve"
        << "" << 0;
    QTest::newRow("426 then 226") << true << QByteArray("RETR")
                                  << Rule([](Session& s, const QByteArray&) {
                                         s.reply("150 sending");
                                         s.server->sendData(s, "440|100|0|100\r\n",
                                                            "426 aborted\r\n226 closed");
                                     })
                                  << "retrieve"
                                  << "RETR list.vrq: 426" << 0;
    QTest::newRow("450 then 226 on store")
        << true << QByteArray("STOR") << Rule([](Session& s, const QByteArray& name) {
               s.reply("150 receiving");
               s.server->receiveData(s, name, "450 busy\r\n226 closed");
           })
        << "store"
        << "STOR neu.zwk: 450" << 0;
    QTest::newRow("426 then a refusal")
        << true << QByteArray("RETR") << Rule([](Session& s, const QByteArray&) {
               s.reply("150 sending");
               s.server->sendData(s, "x", "426 aborted\r\n550 gone");
           })
        << "retrieve"
        << "RETR list.vrq: 550" << 0;
    QTest::newRow("426 and nothing more")
        << true << QByteArray("RETR") << Rule([](Session& s, const QByteArray&) {
               s.reply("150 sending");
               s.server->sendData(s, "x", "426 aborted");
           })
        << "retrieve"
        << "RETR list.vrq: no reply" << 1000;
    QTest::newRow("RETR never answered") << true << QByteArray("RETR") << nothing << "retrieve"
                                         << "RETR: no reply" << 1000;
    QTest::newRow("data connection never opened")
        << true << QByteArray("RETR")
        << Rule([](Session& s, const QByteArray&) { s.reply("150 sending"); }) << "retrieve"
        << "RETR list.vrq: no data within" << 2000;
    QTest::newRow("server stops answering mid-transfer")
        << true << QByteArray("RETR") << Rule([](Session& s, const QByteArray&) {
               s.reply("150 sending");
               s.openData()->write("440|100|0|");
           })
        << "retrieve"
        << "RETR list.vrq: no data" << 1000;
    QTest::newRow("data sent, final reply never comes")
        << true << QByteArray("RETR") << Rule([](Session& s, const QByteArray&) {
               s.reply("150 sending");
               QTcpSocket* data = s.openData();
               data->write("x");
               data->disconnectFromHost();
           })
        << "retrieve"
        << "RETR list.vrq: no reply" << 1000;
    QTest::newRow("STOR refused") << true << QByteArray("STOR")
                                  << Rule([](Session& s, const QByteArray&) {
                                         s.reply("553 not allowed");
                                     })
                                  << "store"
                                  << "STOR: 553" << 0;
    QTest::newRow("control closed during transfer")
        << true << QByteArray("RETR")
        << Rule([](Session& s, const QByteArray&) { s.control->disconnectFromHost(); })
        << "retrieve"
        << "RETR: the server closed" << 0;
}

void TestFtpClient::scriptedReplies() {
    QFETCH(bool, greet);
    QFETCH(QByteArray, verb);
    QFETCH(ScriptedFtpServer::Rule, rule);
    QFETCH(QString, operation);
    QFETCH(QString, error);
    QFETCH(int, limit);
    ScriptedFtpServer server;
    server.greet = greet;
    if (rule)
        server.rules[verb] = rule;
    server.files["list.vrq"] = "Bruder Jakob\r\n";
    FtpClient ftp;
    ftp.setLimits(kShortLimits);
    const auto [got, ms] = attempt([&] {
        ftp.connectToHost(server.host(), "zwk", "pw");
        if (operation == QLatin1String("retrieve"))
            ftp.retrieve(LibraryFiles::kListFile);
        else if (operation == QLatin1String("store"))
            ftp.store("neu.zwk", "500|10|0|10\r\n");
    });
    if (error.isEmpty()) {
        QCOMPARE(got, QString());
        QVERIFY(ftp.isConnected());
        if (operation == QLatin1String("store"))
            QCOMPARE(server.files["neu.zwk"], QByteArray("500|10|0|10\r\n"));
    } else {
        QVERIFY2(got.startsWith(error), qPrintable(got));
    }
    // A failure that waits for a silent server ends at its limit, not long after.
    QVERIFY2(ms >= limit && ms < limit + kGenerous, qPrintable(QString::number(ms)));
}

void TestFtpClient::quitSendsQuitAndCloses() {
    ScriptedFtpServer server;
    FtpClient ftp;
    ftp.setLimits(kShortLimits);
    ftp.connectToHost(server.host(), "zwk", "pw");
    ftp.quit();
    QVERIFY(!ftp.isConnected());
    QTRY_VERIFY(server.commands.contains("QUIT"));
    // Quitting again, without a connection, sends nothing.
    ftp.quit();
    QCOMPARE(server.commands.count("QUIT"), 1);
}

void TestFtpClient::commandsWithoutConnectionFail() {
    FtpClient ftp;
    QCOMPARE(attempt([&] { ftp.retrieve("list.vrq"); }).first, QStringLiteral("not connected"));
    QCOMPARE(attempt([&] { ftp.store("a.zwk", "x"); }).first, QStringLiteral("not connected"));
    QCOMPARE(attempt([&] { ftp.changeDirectory("/zwk/"); }).first, QStringLiteral("not connected"));
    QCOMPARE(attempt([&] { ftp.connectToHost("", "u", "p"); }).first,
             QStringLiteral("no host given"));
    // A port where nobody listens refuses at once.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    const auto [error, ms] =
        attempt([&] { ftp.connectToHost(QStringLiteral("127.0.0.1:%1").arg(port), "u", "p"); });
    QVERIFY2(error.startsWith(QStringLiteral("connect to 127.0.0.1:%1: ").arg(port)),
             qPrintable(error));
    QVERIFY(!ftp.isConnected());
}

void TestFtpClient::lineBreakInArgumentNeverSent() {
    ScriptedFtpServer server;
    FtpClient ftp;
    ftp.setLimits(kShortLimits);
    ftp.connectToHost(server.host(), "zwk", "pw");
    const QString error = attempt([&] { ftp.retrieve("x\r\nDELE list.vrq"); }).first;
    QVERIFY2(error.contains(QStringLiteral("line break")), qPrintable(error));
    QTest::qWait(100);
    for (const QByteArray& command : server.commands)
        QVERIFY2(!command.startsWith("DELE") && !command.startsWith("RETR"), command.constData());
}

QTEST_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"

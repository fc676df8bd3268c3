#include "audio/DiskCapture.h"
#include "audio/PlaybackEngine.h"
#include "audio/SystemBeep.h"
#include "base/Errors.h"
#include "gui/ListBox.h"
#include "net/MirrorPeer.h"
#include "net/MirrorProtocol.h"
#include "net/MirrorServer.h"
#include "net/MirrorStreamSplitter.h"
#include "net/MultiZ1rp.h"
#include "gui/MainWindow.h"
#include "support/AppFixture.h"
#include "support/SongHelpers.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTcpServer>
#include <QMenu>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QtTest>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWait = 10000; // generous limit for bytes to arrive, never a measurement

/// Beeps are recorded instead of sounded: the tests look at what the peer receives.
struct SilentBeeps {
    QList<QPair<int, int>> calls;
    SilentBeeps() {
        setSystemBeepHook([this](int f, int d) { calls.append({f, d}); });
    }
    ~SilentBeeps() { setSystemBeepHook({}); }
};

/// Starts the window's mirror on a free port and returns that port.
quint16 startMirror(TForm1& w) {
    w.mirror->ssBeep().setPort(0);
    w.MultiBeep1->trigger();
    return quint16(w.mirror->ssBeep().listeningPort());
}

/// Connects a test peer and waits until the window counts it as connected.
bool connectPeer(QTcpSocket& peer, TForm1& w, quint16 port) {
    w.mirror->MirrorConnected = false;
    peer.connectToHost(QHostAddress::LocalHost, port);
    if (!peer.waitForConnected(kWait))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!w.mirror->MirrorConnected && clock.elapsed() < kWait)
        QTest::qWait(5);
    return w.mirror->MirrorConnected;
}

/// Reads until `size` bytes have come or the limit passes.
QByteArray readBytes(QTcpSocket& peer, qsizetype size) {
    QByteArray bytes = peer.readAll();
    QElapsedTimer clock;
    clock.start();
    while (bytes.size() < size && clock.elapsed() < kWait) {
        peer.waitForReadyRead(50);
        bytes += peer.readAll();
    }
    return bytes;
}

/// What arrives within a short while: for checking that nothing (more) comes.
QByteArray readQuiet(QTcpSocket& peer, int ms = 300) {
    QByteArray bytes = peer.readAll();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        peer.waitForReadyRead(20);
        bytes += peer.readAll();
    }
    return bytes;
}

QString shown(const QByteArray& bytes) {
    return QString::fromLatin1(bytes).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
}

} // namespace

class TestMirror : public QObject {
    Q_OBJECT

private slots:
    void commandsSendExactBytes_data();
    void commandsSendExactBytes();
    void endOfSongSendsClear();
    void trackTwoSilentLocallyWhilePeerConnected();
    void laterPeerReplacesEarlier_data();
    void laterPeerReplacesEarlier();
    void noPeerNothingSent();
    void multiBeepTwiceKeepsListening();
    void portInUseReported();
    void portChangesOnlyWhileInactive();
    void fullSendBufferDropsWholeMessages();
    void sendFailureClosesPeer();
    void splitterCutsAtCarriageReturns_data();
    void splitterCutsAtCarriageReturns();
    void peerFollowsMessages_data();
    void peerFollowsMessages();
    void peerPlaysTrackTwoOfTheWindow();
    void peerPlaysIntoTheSoundOutput();
    void floodOfPeersUnderFileLimit();
    void peerEndsAndCapsTones_data();
    void peerEndsAndCapsTones();
};

void TestMirror::commandsSendExactBytes_data() {
    QTest::addColumn<QStringList>("song");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QByteArray>("expected");

    const QStringList three = {"500 100 440 10", "500 100 0 100", "500 100 660 200"};
    QTest::newRow("play three lines")
        << three << QStringList{"play"} << QByteArray("C\rD440|10\rD0|100\rD660|200\rD-1|-1\rP\r");
    QTest::newRow("pause sends no play message")
        << three << QStringList{"play", "pause"}
        << QByteArray("C\rD440|10\rD0|100\rD660|200\rD-1|-1\rP\r"
                      "C\rD440|10\rD0|100\rD660|200\rD-1|-1\r");
    QTest::newRow("stop") << three << QStringList{"stop"} << QByteArray("C\r");
    QTest::newRow("play, pause, play again sends everything again")
        << QStringList{"500 100 440 10"} << QStringList{"play", "pause", "play"}
        << QByteArray("C\rD440|10\rD-1|-1\rP\rC\rD440|10\rD-1|-1\rC\rD440|10\rD-1|-1\rP\r");
    // The two cases the protocol leaves open: no lines (no first duration to wait for) and
    // one line (progress against a total of 0).
    QTest::newRow("song without lines")
        << QStringList{} << QStringList{"play", "stop"} << QByteArray("C\rD-1|-1\rP\rC\r");
    QTest::newRow("one line") << QStringList{"0 100 440 10"} << QStringList{"play", "stop"}
                              << QByteArray("C\rD440|10\rD-1|-1\rP\rC\r");
    QTest::newRow("numbers travel as they stand in the lists")
        << QStringList{"500 100 $1B8 0x0A", "500 100 +0440 010"} << QStringList{"play"}
        << QByteArray("C\rD$1B8|0x0A\rD+0440|010\rD-1|-1\rP\r");
}

void TestMirror::commandsSendExactBytes() {
    QFETCH(QStringList, song);
    QFETCH(QStringList, commands);
    QFETCH(QByteArray, expected);
    SilentBeeps beeps;
    AppFixture app;
    TForm1& w = app.main();
    // Long lines keep the song playing while the test sends its commands.
    QStringList rows;
    for (const QString& row : song)
        rows << row;
    setSong(w, rows);
    const quint16 port = startMirror(w);
    QTcpSocket peer;
    QVERIFY(connectPeer(peer, w, port));

    for (const QString& command : commands) {
        if (command == QLatin1String("stop"))
            w.btstop->click();
        else
            w.btplay->click();
    }
    const QByteArray received = readBytes(peer, expected.size());
    QCOMPARE(shown(received), shown(expected));
    w.btstop->click(); // the playing song ends here; its "C" is the last byte
    QCOMPARE(shown(readQuiet(peer)), QStringLiteral("C\\r"));
    QVERIFY(app.prompts.errors.isEmpty());
}

void TestMirror::endOfSongSendsClear() {
    SilentBeeps beeps;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {"500 10 440 10", "500 10 660 10"});
    const quint16 port = startMirror(w);
    QTcpSocket peer;
    QVERIFY(connectPeer(peer, w, port));
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kWait);
    const QByteArray expected("C\rD440|10\rD660|10\rD-1|-1\rP\rC\r");
    QCOMPARE(shown(readBytes(peer, expected.size())), shown(expected));
    QCOMPARE(shown(readQuiet(peer)), QString());
}

void TestMirror::trackTwoSilentLocallyWhilePeerConnected() {
    SilentBeeps beeps;
    AppFixture app;
    TForm1& w = app.main();
    // Track 1 rests on the first line: without a peer track 2 sounds there.
    setSong(w, {"0 10 440 10", "500 10 660 10"});
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kWait);
    QCOMPARE(beeps.calls.value(0).first, 440);

    const quint16 port = startMirror(w);
    QTcpSocket peer;
    QVERIFY(connectPeer(peer, w, port));
    beeps.calls.clear();
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kWait);
    QCOMPARE(beeps.calls.value(0).first, 0);
    QCOMPARE(beeps.calls.value(1).first, 500);
}

void TestMirror::laterPeerReplacesEarlier_data() {
    QTest::addColumn<int>("leaving"); // which peer disconnects afterwards: 0 none, 1 or 2
    QTest::newRow("both stay") << 0;
    QTest::newRow("earlier one leaves") << 1;
    QTest::newRow("later one leaves") << 2;
}

void TestMirror::laterPeerReplacesEarlier() {
    QFETCH(int, leaving);
    SilentBeeps beeps;
    AppFixture app;
    TForm1& w = app.main();
    const quint16 port = startMirror(w);
    QTcpSocket first;
    QTcpSocket second;
    QVERIFY(connectPeer(first, w, port));
    QVERIFY(connectPeer(second, w, port));
    w.btstop->click();
    QCOMPARE(shown(readBytes(second, 2)), QStringLiteral("C\\r"));
    QCOMPARE(shown(readQuiet(first)), QString());

    if (leaving != 0) {
        QTcpSocket& gone = leaving == 1 ? first : second;
        gone.disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(!w.mirror->MirrorConnected, kWait);
        w.btstop->click();
        // Once any peer has left, nobody receives anything until a peer connects again.
        QCOMPARE(shown(readQuiet(leaving == 1 ? second : first)), QString());
    } else {
        QVERIFY(w.mirror->MirrorConnected);
    }
    QVERIFY(app.prompts.errors.isEmpty());
}

void TestMirror::noPeerNothingSent() {
    SilentBeeps beeps;
    AppFixture app;
    TForm1& w = app.main();
    setSong(w, {"500 10 440 10"});
    startMirror(w);
    QElapsedTimer clock;
    clock.start();
    w.btplay->click();
    // Without a peer Play has no waits of the transfer.
    QVERIFY2(clock.elapsed() < 700, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(w.playback->PlayStopped, kWait);
    QCOMPARE(beeps.calls.value(0).first, 500);
}

void TestMirror::multiBeepTwiceKeepsListening() {
    AppFixture app;
    TForm1& w = app.main();
    // Without a library server the start leaves "- Offline Mode" behind the name.
    QVERIFY(w.windowTitle().startsWith(QStringLiteral("Z1rpW3rk 3.3")));
    const quint16 port = startMirror(w);
    QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3 - MulTiZ1rp"));
    QTcpSocket peer;
    QVERIFY(connectPeer(peer, w, port));
    w.setWindowTitle(QStringLiteral("changed"));
    w.MultiBeep1->trigger();
    QCOMPARE(w.windowTitle(), QStringLiteral("Z1rpW3rk 3.3 - MulTiZ1rp"));
    QCOMPARE(w.mirror->ssBeep().listeningPort(), int(port));
    QVERIFY(w.mirror->MirrorConnected);
    QVERIFY(app.prompts.errors.isEmpty());
}

void TestMirror::portInUseReported() {
    QTcpServer blocker;
    QVERIFY(blocker.listen(QHostAddress::Any, 0));
    AppFixture app;
    TForm1& w = app.main();
    w.mirror->ssBeep().setPort(blocker.serverPort());
    const QString caption = w.windowTitle();
    w.MultiBeep1->trigger();
    QCOMPARE(app.prompts.errors.size(), 1);
    const QString error = app.prompts.errors.first();
    QVERIFY2(error.startsWith(QStringLiteral("Windows-Socket-Fehler: ")) &&
                 error.endsWith(QStringLiteral(" (%1), auf API 'bind'").arg(EADDRINUSE)),
             qPrintable(error));
    QCOMPARE(w.windowTitle(), caption);
    QVERIFY(!w.mirror->ssBeep().isListening());
}

void TestMirror::portChangesOnlyWhileInactive() {
    MirrorServer server;
    QCOMPARE(server.port(), 1337);
    server.setPort(0);
    server.open();
    const int listening = server.listeningPort();
    QVERIFY(listening > 0);
    server.setPort(0); // the same port is accepted while listening
    try {
        server.setPort(listening + 1);
        QFAIL("port changed while listening");
    } catch (const AppError& e) {
        QCOMPARE(e.message(),
                 QStringLiteral("Wert kann nicht geändert werden, während der Socket aktiv ist"));
    }
    QCOMPARE(server.port(), 0);
    QCOMPARE(server.listeningPort(), listening);
}

void TestMirror::fullSendBufferDropsWholeMessages() {
    MirrorServer server;
    server.setPort(0);
    server.open();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, quint16(server.listeningPort()));
    QVERIFY(peer.waitForConnected(kWait));
    QTRY_VERIFY_WITH_TIMEOUT(server.connected(), kWait);

    // The peer reads nothing while 64 MB go out: sending must neither block nor grow a queue.
    const QByteArray filler(1000, 'x');
    const int messages = 64 * 1024;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < messages; ++i)
        server.send(MirrorProtocol::data(QString::number(i), QString::fromLatin1(filler)));
    QVERIFY(server.client()->bytesToWrite() < 2000);
    QVERIFY(server.connected());

    // What did arrive is whole messages in order, and fewer than were sent.
    MirrorStreamSplitter splitter;
    QList<QByteArray> received;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 500) {
        QCoreApplication::processEvents();
        peer.waitForReadyRead(20);
        const QByteArray chunk = peer.readAll();
        if (!chunk.isEmpty()) {
            received += splitter.feed(chunk);
            quiet.restart();
        }
    }
    QVERIFY(!received.isEmpty());
    QVERIFY(received.size() < messages);
    QVERIFY(splitter.pending().isEmpty());
    int last = -1;
    for (const QByteArray& message : received) {
        QVERIFY(message.startsWith('D') && message.endsWith("|" + filler));
        const int number = message.mid(1, message.indexOf('|') - 1).toInt();
        QVERIFY(number > last);
        last = number;
    }
}

void TestMirror::sendFailureClosesPeer() {
    MirrorServer server;
    server.setPort(0);
    server.open();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, quint16(server.listeningPort()));
    QVERIFY(peer.waitForConnected(kWait));
    QTRY_VERIFY_WITH_TIMEOUT(server.connected(), kWait);
    server.send(MirrorProtocol::clear());
    QCOMPARE(readBytes(peer, 2), QByteArray("C\r"));

    // The peer resets the connection; the server's next send meets the reset before the
    // event loop has noticed it.
    const linger hard{1, 0};
    QCOMPARE(::setsockopt(int(peer.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard),
             0);
    peer.abort();
    QString error;
    for (int attempt = 0; attempt < 100 && error.isEmpty(); ++attempt) {
        try {
            server.send(MirrorProtocol::clear());
            QThread::msleep(10);
        } catch (const AppError& e) {
            error = e.message();
        }
    }
    QVERIFY2(error.startsWith(QStringLiteral("Windows-Socket-Fehler: ")) &&
                 error.endsWith(QStringLiteral("), auf API 'send'")),
             qPrintable(error));
    QVERIFY(!server.connected());
    // Later sends do nothing: there is no peer any more.
    server.send(MirrorProtocol::clear());
}

void TestMirror::splitterCutsAtCarriageReturns_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("messages");
    QTest::addColumn<QByteArray>("pending");
    using L = QList<QByteArray>;
    QTest::newRow("one per chunk") << L{"C\r", "P\r"} << L{"C", "P"} << QByteArray();
    QTest::newRow("joined") << L{"C\rD440|100\rD-1|-1\rP\r"} << L{"C", "D440|100", "D-1|-1", "P"}
                            << QByteArray();
    QTest::newRow("split inside a message")
        << L{"D4", "40|1", "00\rD", "-1|-1\r"} << L{"D440|100", "D-1|-1"} << QByteArray();
    QTest::newRow("byte by byte") << L{"C", "\r", "P", "\r"} << L{"C", "P"} << QByteArray();
    QTest::newRow("unfinished tail") << L{"C\rD44"} << L{"C"} << QByteArray("D44");
    QTest::newRow("line feed is part of the message")
        << L{"C\r\nP\r"} << L{"C", "\nP"} << QByteArray();
    QTest::newRow("empty messages") << L{"\r\r"} << L{"", ""} << QByteArray();
    QTest::newRow("overlong garbage is dropped whole")
        << L{QByteArray(5000, 'x'), "C\r", "P\r"} << L{"P"} << QByteArray();
}

void TestMirror::splitterCutsAtCarriageReturns() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, messages);
    QFETCH(QByteArray, pending);
    MirrorStreamSplitter splitter;
    QList<QByteArray> got;
    for (const QByteArray& chunk : chunks)
        got += splitter.feed(chunk);
    QCOMPARE(got, messages);
    QCOMPARE(splitter.pending(), pending);
}

void TestMirror::peerFollowsMessages_data() {
    QTest::addColumn<QList<QByteArray>>("messages");
    QTest::addColumn<QString>("tones"); // "f/d f/d ..."
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("playing");
    using L = QList<QByteArray>;
    QTest::newRow("a list") << L{"C", "D440|100", "D0|50", "D-1|-1"} << "440/100 0/50" << true
                            << false;
    QTest::newRow("play") << L{"C", "D440|100", "D-1|-1", "P"} << "440/100" << true << true;
    QTest::newRow("clear forgets") << L{"D440|100", "D-1|-1", "P", "C"} << "" << false << false;
    QTest::newRow("a second transfer replaces the first")
        << L{"C", "D1|1", "D-1|-1", "C", "D2|2", "D-1|-1"} << "2/2" << true << false;
    QTest::newRow("numbers with signs and blanks")
        << L{"D+440|0100", "D 5 | 7 "} << "440/100 5/7" << false << false;
    QTest::newRow("garbage ignored")
        << L{"", "X", "D", "D440", "D440|", "Dabc|1", "D1|2|3", "d440|100", "D1|1"} << "1/1"
        << false << false;
}

void TestMirror::peerFollowsMessages() {
    QFETCH(QList<QByteArray>, messages);
    QFETCH(QString, tones);
    QFETCH(bool, complete);
    QFETCH(bool, playing);
    SilentBeeps beeps;
    MirrorPeer peer;
    for (const QByteArray& message : messages)
        peer.handleMessage(message);
    QStringList got;
    for (const MirrorPeer::Tone& tone : peer.tones())
        got << QStringLiteral("%1/%2").arg(tone.first).arg(tone.second);
    QCOMPARE(got.join(QLatin1Char(' ')), tones);
    QCOMPARE(peer.listComplete(), complete);
    QCOMPARE(peer.isPlaying(), playing);
}

void TestMirror::peerPlaysTrackTwoOfTheWindow() {
    SilentBeeps beeps;
    AppFixture app;
    TForm1& w = app.main();
    // Track 1 rests in lines of 10 ms: the window's own calls are told apart by that length.
    setSong(w, {"0 10 440 60", "0 10 0 30", "0 10 660 60"});
    const quint16 port = startMirror(w);
    MirrorPeer peer;
    QSignalSpy finished(&peer, &MirrorPeer::finished);
    w.mirror->MirrorConnected = false;
    peer.connectToServer(QStringLiteral("127.0.0.1"), port);
    QTRY_VERIFY_WITH_TIMEOUT(w.mirror->MirrorConnected, kWait);
    w.btplay->click();
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1 && w.playback->PlayStopped, kWait);
    QList<QPair<int, int>> peerTones;
    for (const auto& call : std::as_const(beeps.calls))
        if (call.second != 10)
            peerTones << call;
    QCOMPARE(peerTones, (QList<QPair<int, int>>{{440, 60}, {0, 30}, {660, 60}}));
    // The window's Stop at the song's end told the peer to forget the list.
    QTRY_VERIFY_WITH_TIMEOUT(peer.tones().isEmpty(), kWait);
}

void TestMirror::peerPlaysIntoTheSoundOutput() {
    MirrorServer server;
    server.setPort(0);
    server.open();
    MirrorPeer peer;
    QSignalSpy finished(&peer, &MirrorPeer::finished);
    peer.connectToServer(QStringLiteral("127.0.0.1"), server.listeningPort());
    QTRY_VERIFY_WITH_TIMEOUT(server.connected(), kWait);
    {
        DiskCapture capture;
        // The messages arrive joined in one piece and split inside a message.
        server.send(MirrorProtocol::clear() + MirrorProtocol::data("440", "200") + "D0|1");
        QTest::qWait(50);
        server.send("00\r" + MirrorProtocol::data("880", "200") + MirrorProtocol::endOfData() +
                    MirrorProtocol::play());
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, kWait);
        const std::vector<ToneSegment> segments = toneSegments(capture.samples());
        QCOMPARE(segments.size(), std::size_t(2));
        QVERIFY2(std::abs(segments[0].frequency() - 440) < 20,
                 qPrintable(QString::number(segments[0].frequency())));
        QVERIFY2(std::abs(segments[1].frequency() - 880) < 30,
                 qPrintable(QString::number(segments[1].frequency())));
        QVERIFY(std::abs(segments[0].milliseconds() - 200) < 15);
        // The rest of 100 ms lies between them (longer only if the machine fell behind).
        const double gap =
            segments[1].startMs() - segments[0].startMs() - segments[0].milliseconds();
        QVERIFY2(gap > 85 && gap < 1000, qPrintable(QString::number(gap)));
    }
}

namespace {

constexpr rlim_t kChildFiles = 256;
const char* const kFloodChild = "Z1RPW3RK_MIRROR_FLOOD_CHILD";

/// The window under a flood of peers, in a child allowed few open files: prints its mirror's
/// port, then for each line it reads opens the Extras menu and presses Stop.
int floodChild(int argc, char* argv[]) {
    QApplication application(argc, argv);
    AppFixture app;
    TForm1& w = app.main();
    std::printf("%d\n", startMirror(w));
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(0, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
        w.Extras1->popup(QPoint(10, 10));
        w.Extras1->hide();
        w.btstop->click();
        std::printf("done\n");
        std::fflush(stdout);
    });
    return QCoreApplication::exec();
}

} // namespace

void TestMirror::floodOfPeersUnderFileLimit() {
    // Many more held connections than the program may open files: it keeps working, and a
    // peer that comes later is served.
    rlimit own{};
    getrlimit(RLIMIT_NOFILE, &own);
    own.rlim_cur = own.rlim_max;
    setrlimit(RLIMIT_NOFILE, &own);
    qputenv(kFloodChild, "1");
    QProcess child;
    child.setChildProcessModifier([] {
        const rlimit few{kChildFiles, kChildFiles};
        setrlimit(RLIMIT_NOFILE, &few);
    });
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    qunsetenv(kFloodChild);
    QVERIFY(child.waitForReadyRead(4 * kWait));
    const quint16 port = quint16(child.readLine().trimmed().toInt());
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (rlim_t i = 0; i < kChildFiles + 300; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(crowd.back()->waitForConnected(kWait));
    }
    QTcpSocket later;
    later.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(later.waitForConnected(kWait));
    // Menu and Stop until the later peer has been taken on and hears the "C".
    QByteArray heard;
    for (int i = 0; i < 50 && !heard.contains("C\r"); ++i) {
        child.write("\n");
        QVERIFY(child.waitForReadyRead(4 * kWait) && child.readLine() == "done\n");
        later.waitForReadyRead(200);
        heard += later.readAll();
    }
    QCOMPARE(heard.left(2), QByteArray("C\r"));
    child.closeWriteChannel();
    QVERIFY(child.waitForFinished(4 * kWait));
    QCOMPARE(child.exitCode(), 0);
}

void TestMirror::peerEndsAndCapsTones_data() {
    QTest::addColumn<QByteArray>("song");
    QTest::addColumn<int>("tones");  // held
    QTest::addColumn<int>("lastMs"); // length of the last tone held
    QTest::newRow("long tone") << QByteArray("D440|600000\r") << 1 << 600000;
    QTest::newRow("endless tone") << QByteArray("D440|2147483647\r") << 1 << MirrorPeer::kMaxToneMs;
    QTest::newRow("more tones than are held") << QByteArray("D440|100000\r").repeated(
        MirrorPeer::kMaxTones + 5) << int(MirrorPeer::kMaxTones) << 100000;
}

void TestMirror::peerEndsAndCapsTones() {
    QFETCH(QByteArray, song);
    QFETCH(int, tones);
    QFETCH(int, lastMs);
    MirrorServer server;
    server.setPort(0);
    server.open();
    MirrorPeer peer;
    peer.connectToServer(QStringLiteral("127.0.0.1"), server.listeningPort());
    QTRY_VERIFY_WITH_TIMEOUT(server.connected(), kWait);
    server.send("C\r" + song + "D-1|-1\rP\r");
    QTRY_VERIFY_WITH_TIMEOUT(peer.isSounding(), 6 * kWait);
    QCOMPARE(peer.tones().size(), tones);
    QCOMPARE(peer.tones().last().second, lastMs);
    // "C" ends the tone within the piece that sounds (a tenth of a second, longer only on a
    // busy machine), not after the minutes the tone has left.
    server.send(MirrorProtocol::clear());
    QTRY_VERIFY_WITH_TIMEOUT(!peer.isSounding(), kWait);
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet(kFloodChild))
        return floodChild(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestMirror test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mirror.moc"

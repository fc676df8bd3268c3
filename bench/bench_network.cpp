// The network through the real main window: the mirror transfer of a 10,000-line song to a
// peer, and the online library's upload, download and open of a 100,000-line song on the
// library server script; then how long a server that does not answer keeps the start-up
// connection. Prints figures; it checks nothing.

#include "audio/SystemBeep.h"
#include "gui/ListBox.h"
#include "base/Prompts.h"
#include "net/FtpClient.h"
#include "net/MirrorServer.h"
#include "net/MultiZ1rp.h"
#include "gui/OnlineLibrary.h"
#include "gui/SettingsDialog.h"
#include "gui/SettingsNetworkPage.h"
#include "gui/Forms.h"
#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

class BenchPrompts final : public Prompts {
public:
    void showMessage(const QString& text) override { report(text); }
    Answer messageBox(const QString& text, const QString&, Icon, Buttons) override {
        report(text);
        return Answer::Ok;
    }
    void showError(const QString& text) override { report(text); }
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int execModal(QDialog&) override { return 0; }

private:
    static void report(const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

void setSong(TForm1& w, int lines, const QString& firstDuration) {
    QStringList f1, d1, f2, d2;
    for (int i = 0; i < lines; ++i) {
        f1 << QString::number(262 + i % 12 * 20);
        d1 << QStringLiteral("125");
        f2 << QString::number(131 + i % 7 * 10);
        d2 << (i == 0 ? firstDuration : QStringLiteral("250"));
    }
    w.Neu1Click();
    w.Memo1->addAll(f1);
    w.Memo2->addAll(d1);
    w.Memo3->addAll(f2);
    w.Memo4->addAll(d2);
    w.RenumberLines();
}

void waitMs(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void benchMirror(TForm1& w) {
    const int lines = 10000;
    setSong(w, lines, QStringLiteral("1"));
    w.mirror->ssBeep().setPort(0);
    w.MultiBeep1->trigger();
    QTcpSocket peer;
    QByteArray received;
    QObject::connect(&peer, &QTcpSocket::readyRead, [&] { received += peer.readAll(); });
    peer.connectToHost(QHostAddress::LocalHost, quint16(w.mirror->ssBeep().listeningPort()));
    peer.waitForConnected(5000);
    while (!w.mirror->MirrorConnected)
        waitMs(5);

    // The described waits: 250 ms after "C", 250 ms on each side of "P", and the first
    // track-2 duration (1 ms here).
    const int describedPlay = 750 + 1;
    const int describedPause = 250 + 1;
    QElapsedTimer clock;
    clock.start();
    w.btplay->click();
    const qint64 play = clock.elapsed();
    clock.restart();
    w.btplay->click(); // Pause
    const qint64 pause = clock.elapsed();
    w.btstop->click();
    waitMs(300);
    std::printf("mirror: %d lines, %lld bytes received for Play + Pause + Stop\n", lines,
                static_cast<long long>(received.size()));
    std::printf("mirror: Play took %lld ms, %lld ms beyond the described waits\n",
                static_cast<long long>(play), static_cast<long long>(play - describedPlay));
    std::printf("mirror: Pause took %lld ms, %lld ms beyond the described waits\n",
                static_cast<long long>(pause), static_cast<long long>(pause - describedPause));
}

int startLibraryServer(QProcess& server, const QString& root) {
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(Z1RPW3RK_SOURCE_DIR "/scripts/library-server"),
                  QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--dir"), root});
    const QRegularExpression serving(QStringLiteral("serving .* on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && server.state() != QProcess::NotRunning) {
        server.waitForReadyRead(100);
        out += server.readAllStandardOutput();
        if (const auto match = serving.match(QString::fromUtf8(out)); match.hasMatch())
            return match.captured(1).toInt();
    }
    return 0;
}

void connectOwnServer(const QString& host, const QString& user, const QString& password) {
    auto* page = forms().Form6->findChild<SettingsNetworkPage*>();
    page->ComboBox1->setCurrentIndex(SettingsNetworkPage::kOwnServerEntry);
    page->edAdresse->setText(host);
    page->edUser->setText(user);
    page->edPw->setText(password);
    page->applyOwnServer();
    page->btTestcon->click();
}

void benchLibrary(TForm1& w) {
    QTemporaryDir root;
    QProcess server;
    const int port = startLibraryServer(server, root.path());
    if (port == 0) {
        std::printf("library: the library server did not start (pyftpdlib missing?)\n");
        return;
    }
    connectOwnServer(QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("zwk"),
                     QStringLiteral("zwk-bibliothek"));
    const int lines = 100000;
    setSong(w, lines, QStringLiteral("250"));
    w.library->edDateiname->setText(QStringLiteral("Benchmark"));
    QElapsedTimer clock;
    clock.start();
    w.library->bthochladen->click();
    const qint64 upload = clock.elapsed();
    const qint64 bytes = QFileInfo(QStringLiteral("Benchmark.zwk")).size();
    QFile::remove(QStringLiteral("Benchmark.zwk"));
    w.Neu1Click();
    ListBox* list = w.library->Memo6;
    list->setItemIndex(list->count() - 1);
    clock.restart();
    w.library->Memo6Click();
    const qint64 download = clock.elapsed();
    std::printf("library: upload of a %d-line song (%lld bytes, with list.vrq): %lld ms\n", lines,
                static_cast<long long>(bytes), static_cast<long long>(upload));
    std::printf("library: download and open of it: %lld ms (%d lines loaded)\n",
                static_cast<long long>(download), w.Memo1->count());
    w.library->IdFTP1->quit();
    server.terminate();
    server.waitForFinished(5000);
}

void benchOffline(TForm1& w, const QString& what, const QString& host) {
    auto* page = forms().Form6->findChild<SettingsNetworkPage*>();
    w.setWindowTitle(QStringLiteral("Z1rpW3rk 3.3"));
    QElapsedTimer clock;
    clock.start();
    connectOwnServer(host, QStringLiteral("zwk"), QStringLiteral("x"));
    std::printf("offline: %s (%s): \"%s\" after %lld ms, shown time %s\n", qPrintable(what),
                qPrintable(host), qPrintable(w.windowTitle()),
                static_cast<long long>(clock.elapsed()), qPrintable(page->Label12->text()));
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    BenchPrompts prompts;
    setPrompts(&prompts);
    setSystemBeepHook([](int, int) {}); // the figures are about the network, not the sound
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    createForms();
    TForm1& w = *forms().Form1;
    w.show();

    benchMirror(w);
    benchLibrary(w);
    // A server that accepts the connection but never greets, and an address nobody answers.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost, 0);
    benchOffline(w, QStringLiteral("server that never greets"),
                 QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
    benchOffline(w, QStringLiteral("address that does not answer"), QStringLiteral("10.255.255.1"));

    destroyForms();
    QDir::setCurrent(previous);
    setSystemBeepHook({});
    return 0;
}

#pragma once

// The other ends of the library's FTP exchange for tests: the library server script (a real
// pyftpdlib server) and a scripted server for the replies a real one rarely gives.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>

#include <sys/socket.h>

/// True when the system Python can run the library server.
inline bool pyftpdlibAvailable() {
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")});
    return probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

/// scripts/library-server on 127.0.0.1 and a free port, serving a fresh temporary library
/// with the example songs; stopped when the object goes.
class LibraryServerProcess {
public:
    static constexpr const char* kUser = "zwk";
    static constexpr const char* kPassword = "zwk-bibliothek";

    LibraryServerProcess() {
        const QString script = QStringLiteral(Z1RPW3RK_TEST_DATA "/../../scripts/library-server");
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {script, QStringLiteral("--port"), QStringLiteral("0"),
                         QStringLiteral("--dir"), m_root.path()});
        const QRegularExpression serving(QStringLiteral("serving .* on 127\\.0\\.0\\.1:(\\d+)"));
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (m_port == 0 && clock.elapsed() < 20000 &&
               m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            out += m_process.readAllStandardOutput();
            const auto match = serving.match(QString::fromUtf8(out));
            if (match.hasMatch())
                m_port = match.captured(1).toInt();
        }
    }
    ~LibraryServerProcess() {
        m_process.terminate(); // SIGTERM: the server closes and ends
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    LibraryServerProcess(const LibraryServerProcess&) = delete;
    LibraryServerProcess& operator=(const LibraryServerProcess&) = delete;

    bool running() const { return m_port != 0; }
    int port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    /// The library folder on the server's side.
    QString folder() const { return m_root.path() + QStringLiteral("/zwk"); }
    QByteArray file(const QString& name) const {
        QFile f(folder() + QLatin1Char('/') + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void setFile(const QString& name, const QByteArray& bytes) const {
        QFile f(folder() + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

private:
    QTemporaryDir m_root;
    QProcess m_process;
    int m_port = 0;
};

/// A scripted FTP server on 127.0.0.1: answers a login, CWD, PORT, EPSV, PASV, RETR, STOR and
/// DELE like a real
/// server, unless a rule for a command says otherwise. It runs on the test's thread, driven
/// by the client's own waits.
class ScriptedFtpServer : public QObject {
public:
    struct Session {
        ScriptedFtpServer* server = nullptr;
        QPointer<QTcpSocket> control;
        QHostAddress dataAddress;
        quint16 dataPort = 0;
        QPointer<QTcpSocket> data;
        /// Listens for the client's data connection after EPSV or PASV.
        QPointer<QTcpServer> passive;

        void reply(const QByteArray& text) {
            if (control)
                control->write(text + "\r\n");
        }
        /// Sends @p unit again and again for as long as the client takes it.
        static void flood(QTcpSocket* socket, const QByteArray& unit) {
            const QByteArray chunk = unit.repeated(65536 / unit.size() + 1);
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, chunk] {
                if (socket->bytesToWrite() < 4 * chunk.size())
                    socket->write(chunk);
            });
            socket->write(chunk);
        }
        /// Connects to the address the client gave with PORT, or takes the client's connection
        /// after EPSV or PASV.
        QTcpSocket* openData() {
            if (passive) {
                if (!passive->hasPendingConnections())
                    passive->waitForNewConnection(5000);
                data = passive->nextPendingConnection();
                if (!data)
                    data = new QTcpSocket(control);
                data->setParent(control);
                delete passive;
                return data;
            }
            data = new QTcpSocket(control);
            data->connectToHost(dataAddress, dataPort);
            data->waitForConnected(5000);
            return data;
        }
        quint16 listenPassive() {
            delete passive;
            passive = new QTcpServer(control);
            passive->listen(QHostAddress::LocalHost, 0);
            return passive->serverPort();
        }
    };
    /// A rule answers one command (verb in upper case) instead of the standard answer.
    using Rule = std::function<void(Session&, const QByteArray& argument)>;

    bool greet = true;
    std::map<QByteArray, Rule> rules;
    /// Files RETR sends and STOR fills.
    std::map<QByteArray, QByteArray> files;
    /// Every command received, with its argument.
    QList<QByteArray> commands;

    ScriptedFtpServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                auto* session = new Session;
                session->server = this;
                session->control = socket;
                connect(socket, &QObject::destroyed, [session] { delete session; });
                connect(socket, &QTcpSocket::readyRead, this,
                        [this, socket, session] { onCommand(socket, *session); });
                if (greet)
                    session->reply("220-Scripted library\r\n220 ready");
            }
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

    /// The standard answers.
    void standard(Session& s, const QByteArray& verb, const QByteArray& argument) {
        if (verb == "USER")
            s.reply("331 password please");
        else if (verb == "PASS")
            s.reply("230 logged in");
        else if (verb == "TYPE")
            s.reply("200 binary");
        else if (verb == "SYST")
            s.reply("215 UNIX Type: L8");
        else if (verb == "CWD")
            s.reply("250 ok");
        else if (verb == "PORT") {
            const QList<QByteArray> parts = argument.split(',');
            s.dataAddress = QHostAddress(QString::fromLatin1(parts.mid(0, 4).join('.')));
            s.dataPort = quint16(parts.value(4).toInt() * 256 + parts.value(5).toInt());
            s.reply("200 PORT ok");
        } else if (verb == "EPSV") {
            s.reply("229 Entering Extended Passive Mode (|||" +
                    QByteArray::number(s.listenPassive()) + "|)");
        } else if (verb == "PASV") {
            // The address named is not the server's: the client must connect to the server.
            const quint16 port = s.listenPassive();
            s.reply("227 Entering Passive Mode (192,0,2,7," + QByteArray::number(port >> 8) + ',' +
                    QByteArray::number(port & 0xFF) + ")");
        } else if (verb == "DELE") {
            s.reply(files.erase(argument) ? "250 deleted" : "550 no such file");
        } else if (verb == "RETR") {
            const auto file = files.find(argument);
            if (file == files.end()) {
                s.reply("550 no such file");
                return;
            }
            s.reply("150 sending");
            sendData(s, file->second, "226 done");
        } else if (verb == "STOR") {
            s.reply("150 receiving");
            receiveData(s, argument, "226 stored");
        } else if (verb == "QUIT") {
            s.reply("221 bye");
        } else {
            s.reply("502 not implemented");
        }
    }

    /// Sends the bytes over a data connection to the client and, once it is closed, the
    /// final reply.
    void sendData(Session& s, const QByteArray& bytes, const QByteArray& finalReply) {
        QTcpSocket* data = s.openData();
        QPointer<QTcpSocket> control = s.control;
        connect(data, &QTcpSocket::disconnected, this, [control, finalReply] {
            if (control)
                control->write(finalReply + "\r\n");
        });
        data->write(bytes);
        data->disconnectFromHost();
    }
    /// Receives a file over a data connection from the client and, once it is closed, sends
    /// the final reply.
    void receiveData(Session& s, const QByteArray& name, const QByteArray& finalReply) {
        QTcpSocket* data = s.openData();
        QPointer<QTcpSocket> control = s.control;
        files[name].clear();
        connect(data, &QTcpSocket::readyRead, this,
                [this, data, name] { files[name] += data->readAll(); });
        connect(data, &QTcpSocket::disconnected, this, [this, data, control, name, finalReply] {
            files[name] += data->readAll();
            if (control)
                control->write(finalReply + "\r\n");
        });
    }

private:
    void onCommand(QTcpSocket* socket, Session& session) {
        m_buffer[socket] += socket->readAll();
        QByteArray& buffer = m_buffer[socket];
        for (qsizetype end = buffer.indexOf("\r\n"); end >= 0; end = buffer.indexOf("\r\n")) {
            const QByteArray line = buffer.left(end);
            buffer.remove(0, end + 2);
            const qsizetype space = line.indexOf(' ');
            const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
            const QByteArray argument = space < 0 ? QByteArray() : line.mid(space + 1);
            commands.append(verb + (argument.isEmpty() ? QByteArray() : ' ' + argument));
            const auto rule = rules.find(verb);
            if (rule != rules.end())
                rule->second(session, argument);
            else
                standard(session, verb, argument);
        }
    }

    QTcpServer m_server;
    std::map<QTcpSocket*, QByteArray> m_buffer;
};

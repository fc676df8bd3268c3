#include "net/FtpClient.h"

#include "net/FtpDataConnection.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <limits>
#include <optional>

#include <sys/ioctl.h>

namespace {

QString describe(const FtpClient::Reply& reply) {
    return QStringLiteral("%1 %2").arg(reply.code).arg(reply.text.trimmed());
}

bool isCode(QByteArrayView line) {
    return line.size() >= 3 &&
           std::all_of(line.begin(), line.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
}

QByteArray chopLineEnd(QByteArray line) {
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

/// One complete reply at the start of the buffer and the bytes it takes, if it is all there.
/// A multi-line reply ("123-" … "123 ") is one reply; a line that carries no code becomes a
/// reply with code 0, which no step accepts.
std::optional<std::pair<FtpClient::Reply, qsizetype>> parseReply(const QByteArray& buffer) {
    qsizetype end = buffer.indexOf('\n');
    if (end < 0)
        return std::nullopt;
    const QByteArray first = chopLineEnd(buffer.left(end));
    FtpClient::Reply reply;
    reply.text = QString::fromUtf8(first);
    if (!isCode(first))
        return std::make_pair(reply, end + 1);
    reply.code = first.left(3).toInt();
    if (first.size() > 3 && first[3] == '-') {
        const QByteArray last = first.left(3) + ' ';
        for (;;) {
            const qsizetype start = end + 1;
            end = buffer.indexOf('\n', start);
            if (end < 0)
                return std::nullopt;
            const QByteArray line = chopLineEnd(buffer.mid(start, end - start));
            reply.text += QLatin1Char('\n') + QString::fromUtf8(line);
            if (line.startsWith(last) || line == first.left(3))
                break;
        }
    }
    return std::make_pair(reply, end + 1);
}

// Replies any command may get: the service closes, the command is not understood or not
// allowed here, the user is not logged in.
const QList<int> kAnyCommand{421, 500, 501, 502, 503, 530};

// The replies that end a transfer: done, or broken off, or refused while it ran.
const QList<int> kTransferEnd = QList<int>{225, 226, 250, 425, 426, 450, 451, 452, 550, 551,
                                           552, 553} +
                                kAnyCommand;

/// The replies that can answer @p verb (RFC 959 section 5.4, RFC 2428, and the refusals
/// servers are known to give). Anything else belongs to another command.
QList<int> repliesTo(QByteArrayView verb) {
    static const std::map<QByteArray, QList<int>> replies{
        {"USER", {230, 331, 332}},
        {"PASS", {202, 230, 332}},
        {"TYPE", {200, 504}},
        {"SYST", {200, 215}},
        {"CWD", {200, 250, 550}},
        {"PORT", {200, 425, 522, 550}},
        {"EPSV", {229, 425, 522, 550}},
        {"PASV", {227, 425, 550}},
        {"RETR", {110, 125, 150, 154, 425, 426, 450, 451, 550, 551}},
        {"STOR", {110, 125, 150, 425, 426, 450, 451, 452, 532, 551, 552, 553}},
        {"DELE", {250, 450, 550}},
    };
    const auto found = replies.find(verb.toByteArray());
    return (found == replies.end() ? QList<int>() : found->second) + kAnyCommand;
}

/// The port of a 229 reply: "(|||port|)" with any delimiter; 0 when there is none.
quint16 epsvPort(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(R"(\(([!-~])\1\1(\d{1,5})\1\))"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int port = match.hasMatch() ? match.captured(2).toInt() : 0;
    return quint16(port > 0 && port <= 65535 ? port : 0);
}

/// The port of a 227 reply "h1,h2,h3,h4,p1,p2"; 0 when there is none. The address is not
/// used.
quint16 pasvPort(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"((\d{1,3}),(\d{1,3}),(\d{1,3}),(\d{1,3}),(\d{1,3}),(\d{1,3}))"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return 0;
    const int high = match.captured(5).toInt(), low = match.captured(6).toInt();
    const int port = high * 256 + low;
    return quint16(high <= 255 && low <= 255 && port > 0 ? port : 0);
}

} // namespace

FtpError::FtpError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

FtpClient::FtpClient(QObject* parent) : QObject(parent) {}

std::optional<std::pair<FtpClient::Reply, qsizetype>>
FtpClient::parseReply(const QByteArray& buffer) {
    return ::parseReply(buffer);
}

FtpClient::~FtpClient() {
    closeData();
    if (m_control)
        m_control->abort();
}

std::pair<QString, int> FtpClient::splitHostPort(const QString& host) {
    const QString trimmed = host.trimmed();
    const qsizetype colon = trimmed.lastIndexOf(QLatin1Char(':'));
    // One colon only: an IPv6 address has several and no port of this form.
    if (colon > 0 && trimmed.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        const int port = trimmed.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port <= 65535)
            return {trimmed.left(colon), port};
        return {trimmed.left(colon), kDefaultPort};
    }
    return {trimmed, kDefaultPort};
}

bool FtpClient::controlOpen() const {
    return m_control && m_control->state() == QAbstractSocket::ConnectedState;
}

bool FtpClient::isConnected() const {
    return m_loggedIn && m_control && m_control->state() == QAbstractSocket::ConnectedState;
}

void FtpClient::watch(QTcpSocket* socket) {
    connect(socket, &QTcpSocket::readyRead, this, &FtpClient::activity);
    connect(socket, &QTcpSocket::bytesWritten, this, &FtpClient::activity);
    connect(socket, &QTcpSocket::stateChanged, this, &FtpClient::activity);
    connect(socket, &QTcpSocket::errorOccurred, this, &FtpClient::activity);
}

bool FtpClient::waitFor(const Condition& done, int limitMs) {
    QDeadlineTimer deadline(std::max(0, limitMs));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        // The window keeps repainting and the timers keep running, but no input reaches it
        // while the exchange runs.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &FtpClient::activity, &loop, &QEventLoop::quit);
        timer.start(int(std::clamp<qint64>(deadline.remainingTime(), 1, 1000)));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

void FtpClient::fail(const QString& message, bool closeConnection) {
    closeData();
    if (closeConnection)
        disconnectFromHost();
    throw FtpError(message);
}

void FtpClient::connectToHost(const QString& host, const QString& user, const QString& password) {
    disconnectFromHost();
    m_host = host;
    m_user = user;
    m_password = password;
    m_directory.clear();
    m_passive = m_forcePassive;
    m_epsvRefused = false;
    logIn();
}

void FtpClient::logIn() {
    disconnectFromHost();
    const auto [name, port] = splitHostPort(m_host);
    if (name.isEmpty())
        throw FtpError(QStringLiteral("no host given"));
    m_control = new QTcpSocket(this);
    // Replies are read no further than one reply's limit ahead: a server that sends endless
    // text costs no memory.
    m_control->setReadBufferSize(kMaxReplyBytes);
    watch(m_control);
    connect(m_control, &QTcpSocket::readyRead, this, [this] { readControl(); });
    // Active transfers name the client by an IPv4 address in PORT.
    m_control->connectToHost(name, quint16(port), QIODevice::ReadWrite,
                             QAbstractSocket::IPv4Protocol);
    QTcpSocket* control = m_control;
    const bool settled = waitFor(
        [control] {
            return control->state() == QAbstractSocket::ConnectedState ||
                   control->state() == QAbstractSocket::UnconnectedState;
        },
        m_limits.connectMs);
    if (!settled)
        fail(QStringLiteral("connect to %1:%2: no answer within %3 ms")
                 .arg(name)
                 .arg(port)
                 .arg(m_limits.connectMs),
             true);
    if (control->state() != QAbstractSocket::ConnectedState)
        fail(QStringLiteral("connect to %1:%2: %3").arg(name).arg(port).arg(control->errorString()),
             true);

    try {
        expect(QStringLiteral("greeting"), {220}, {220, 421});
        const Reply login = command("USER", m_user.toUtf8(), {230, 331});
        if (login.code == 331)
            command("PASS", m_password.toUtf8(), {230});
        m_loggedIn = true;
        command("TYPE", "I", {200});
        command("SYST", {}, {200, 215, 500});
    } catch (const FtpError&) {
        disconnectFromHost();
        throw;
    }
}

void FtpClient::requireConnected() const {
    if (!isConnected())
        throw FtpError(QStringLiteral("not connected"));
}

void FtpClient::readControl() {
    const qint64 room = kMaxReplyBytes + 1 - m_replyBuffer.size();
    if (room > 0)
        m_replyBuffer += m_control->read(room);
    if (m_replyBuffer.size() > kMaxReplyBytes && !hasReply())
        m_replyOverflow = true;
}

void FtpClient::dropUnrequestedReplies() {
    // Every reply a command asked for has been taken; anything still here (or on its way
    // already) was sent unasked and would be taken for the answer to the next command.
    int waiting = 0;
    if (::ioctl(int(m_control->socketDescriptor()), FIONREAD, &waiting) == 0 && waiting > 0)
        m_control->waitForReadyRead(0);
    m_replyBuffer.clear();
    m_replyOverflow = false;
    m_control->readAll();
}

void FtpClient::sendCommand(const QByteArray& verb, const QByteArray& argument) {
    if (!controlOpen())
        fail(QStringLiteral("%1: the connection is closed").arg(QLatin1String(verb)), true);
    QByteArray line = verb;
    if (!argument.isEmpty())
        line += ' ' + argument;
    // An argument must not end the command early and start another one.
    if (line.contains('\r') || line.contains('\n'))
        fail(QStringLiteral("%1: the argument holds a line break").arg(QLatin1String(verb)), false);
    dropUnrequestedReplies();
    if (!controlOpen())
        fail(QStringLiteral("%1: the server closed the connection").arg(QLatin1String(verb)), true);
    m_control->write(line + "\r\n");
    m_control->flush();
}

bool FtpClient::hasReply() const {
    return parseReply(m_replyBuffer).has_value();
}

FtpClient::Reply FtpClient::takeReply() {
    const auto parsed = parseReply(m_replyBuffer);
    m_replyBuffer.remove(0, parsed->second);
    // What waited for room in the buffer follows on.
    if (m_control && m_control->bytesAvailable() > 0)
        readControl();
    return parsed->first;
}

FtpClient::Reply FtpClient::readReply(const QString& step, const QList<int>& possible) {
    m_replyTimedOut = false;
    const QDeadlineTimer deadline(m_limits.replyMs);
    for (;;) {
        const bool ready = waitFor(
            [this] { return hasReply() || m_replyOverflow || !controlOpen(); },
            int(std::max<qint64>(0, deadline.remainingTime())));
        if (hasReply()) {
            const Reply reply = takeReply();
            // A reply that cannot answer this command belongs to an earlier one (late, or
            // sent twice): taken for this command's answer, it would put every later
            // exchange out of step.
            if (reply.code != 0 && !possible.contains(reply.code))
                continue;
            return reply;
        }
        if (m_replyOverflow)
            fail(QStringLiteral("%1: the reply is longer than %2 bytes")
                     .arg(step)
                     .arg(kMaxReplyBytes),
                 true);
        // Without its reply the exchange is out of step: later replies could be taken for
        // the answers to later commands. The connection is given up.
        if (!ready) {
            m_replyTimedOut = true;
            fail(QStringLiteral("%1: no reply within %2 ms").arg(step).arg(m_limits.replyMs),
                 true);
        }
        fail(QStringLiteral("%1: the server closed the connection").arg(step), true);
    }
}

FtpClient::Reply FtpClient::expect(const QString& step, Codes accepted,
                                   const QList<int>& possible) {
    const Reply reply = readReply(step, possible + QList<int>(accepted));
    if (std::find(accepted.begin(), accepted.end(), reply.code) == accepted.end())
        fail(QStringLiteral("%1: %2").arg(step, describe(reply)), reply.code == 0);
    return reply;
}

FtpClient::Reply FtpClient::ask(const QByteArray& verb, const QByteArray& argument,
                                Codes accepted) {
    sendCommand(verb, argument);
    return readReply(QString::fromLatin1(verb), repliesTo(verb) + QList<int>(accepted));
}

FtpClient::Reply FtpClient::command(const QByteArray& verb, const QByteArray& argument,
                                    Codes accepted) {
    sendCommand(verb, argument);
    return expect(QString::fromLatin1(verb), accepted, repliesTo(verb));
}

void FtpClient::changeDirectory(const QString& directory) {
    requireConnected();
    command("CWD", directory.toUtf8(), {200, 250});
    m_directory = directory;
}

bool FtpClient::remove(const QString& remoteName) {
    requireConnected();
    const Reply reply = ask("DELE", remoteName.toUtf8(), {250});
    if (reply.code == 0 || reply.code == 421)
        fail(QStringLiteral("DELE: %1").arg(describe(reply)), true);
    return reply.code == 250;
}

template <typename Transfer>
auto FtpClient::withFallback(Transfer&& transfer) -> decltype(transfer()) {
    m_activeTimedOut = false;
    try {
        return transfer();
    } catch (const FtpError&) {
        if (!m_activeTimedOut || m_passive)
            throw;
    }
    // Nothing came through the active data connection in time: a firewall or NAT lies in
    // between. That exchange is out of step, so the client logs in again, passive from now on.
    m_activeTimedOut = false;
    m_passive = true;
    logIn();
    if (!m_directory.isEmpty())
        command("CWD", m_directory.toUtf8(), {200, 250});
    return transfer();
}

void FtpClient::openDataChannel() {
    closeData();
    if (!m_passive && openActiveData())
        return;
    openPassiveData();
}

bool FtpClient::openActiveData() {
    m_listener = new FtpDataListener(this);
    connect(m_listener, &FtpDataListener::arrived, this, &FtpClient::activity);
    // The server connects back to the address by which it knows this computer.
    const QHostAddress local = m_control->localAddress();
    bool isIpv4 = false;
    const quint32 ipv4 = local.toIPv4Address(&isIpv4);
    if (!isIpv4 || !m_listener->listen(local, 0)) {
        closeData();
        m_passive = true;
        return false;
    }
    const quint16 port = m_listener->serverPort();
    const QByteArray argument = QStringLiteral("%1,%2,%3,%4,%5,%6")
                                    .arg(ipv4 >> 24)
                                    .arg((ipv4 >> 16) & 0xFF)
                                    .arg((ipv4 >> 8) & 0xFF)
                                    .arg(ipv4 & 0xFF)
                                    .arg(port >> 8)
                                    .arg(port & 0xFF)
                                    .toLatin1();
    Reply reply;
    try {
        // Some servers connect before they answer PORT: no answer in time is a data
        // connection that does not come.
        reply = ask("PORT", argument, {200});
    } catch (const FtpError&) {
        m_activeTimedOut = m_replyTimedOut;
        throw;
    }
    if (reply.code == 200)
        return true;
    if (reply.code == 0 || reply.code == 421)
        fail(QStringLiteral("PORT: %1").arg(describe(reply)), true);
    // Refused (a policy, a firewall, an address the server will not connect to): passive for
    // the rest of this connection.
    closeData();
    m_passive = true;
    return false;
}

void FtpClient::openPassiveData() {
    quint16 port = 0;
    if (!m_epsvRefused) {
        const Reply reply = ask("EPSV", {}, {229});
        if (reply.code == 229) {
            port = epsvPort(reply.text);
            if (port == 0)
                fail(QStringLiteral("EPSV: %1").arg(describe(reply)), false);
        } else if (reply.code == 0 || reply.code == 421) {
            fail(QStringLiteral("EPSV: %1").arg(describe(reply)), true);
        } else {
            m_epsvRefused = true;
        }
    }
    if (port == 0) {
        const Reply reply = command("PASV", {}, {227});
        port = pasvPort(reply.text);
        if (port == 0)
            fail(QStringLiteral("PASV: %1").arg(describe(reply)), false);
    }
    // The data connection goes where the control connection goes: an address named in the
    // reply could point anywhere (a server behind NAT names its inner one; a hostile one
    // names a third computer).
    const QHostAddress server = m_control->peerAddress();
    m_data = FtpDataConnection::connectTo(server, port, this);
    if (!m_data)
        fail(QStringLiteral("data connection to %1:%2: cannot be opened")
                 .arg(server.toString())
                 .arg(port),
             false);
    connect(m_data, &FtpDataConnection::activity, this, &FtpClient::activity);
    bool writable = false;
    m_data->watchWrite();
    QMetaObject::Connection wake =
        connect(m_data, &FtpDataConnection::activity, this, [&writable] { writable = true; });
    const bool settled = waitFor([&writable] { return writable; }, m_limits.dataMs);
    disconnect(wake);
    const int error = settled ? m_data->connectError() : ETIMEDOUT;
    if (error != 0)
        fail(QStringLiteral("data connection to %1:%2: %3")
                 .arg(server.toString())
                 .arg(port)
                 .arg(QString::fromLocal8Bit(::strerror(error))),
             false);
}

FtpDataConnection* FtpClient::acceptDataConnection(const QString& step) {
    const QHostAddress server = m_control->peerAddress();
    QPointer<FtpDataListener> listener = m_listener;
    // One limit for the whole wait, however many strangers or stray replies come first.
    const QDeadlineTimer deadline(m_limits.dataMs);
    for (;;) {
        const bool arrived = waitFor(
            [this, listener] {
                // A refusal the server sends instead of connecting ends the wait as well.
                return !listener || listener->hasConnection() || hasReply() || !controlOpen();
            },
            int(std::max<qint64>(0, deadline.remainingTime())));
        if (!listener)
            fail(QStringLiteral("%1: the transfer was given up").arg(step), true);
        if (!listener->hasConnection()) {
            if (hasReply()) {
                const Reply reply = takeReply();
                // A late reply to an earlier command is no answer to this transfer.
                if (reply.code != 0 && !kTransferEnd.contains(reply.code))
                    continue;
                fail(QStringLiteral("%1: %2").arg(step, describe(reply)), false);
            }
            if (!arrived) {
                m_activeTimedOut = true;
                fail(QStringLiteral("%1: no data connection within %2 ms")
                         .arg(step)
                         .arg(m_limits.dataMs),
                     true);
            }
            fail(QStringLiteral("%1: the server closed the connection").arg(step), true);
        }
        FtpDataConnection* connection = listener->takeConnection(this);
        // Only the server may open the data connection; anybody else is turned away.
        if (connection->peerAddress().isEqual(server, QHostAddress::TolerantConversion)) {
            m_data = connection;
            connect(m_data, &FtpDataConnection::activity, this, &FtpClient::activity);
            listener->close();
            return connection;
        }
        connection->abort();
        delete connection;
    }
}

QByteArray FtpClient::retrieve(const QString& remoteName, qint64 maxBytes) {
    return retrieve(remoteName.toUtf8(), maxBytes);
}

QByteArray FtpClient::retrieve(const QByteArray& remoteName, qint64 maxBytes) {
    requireConnected();
    return withFallback([&] { return retrieveOnce(remoteName, maxBytes); });
}

QByteArray FtpClient::retrieveOnce(const QByteArray& remoteName, qint64 maxBytes) {
    openDataChannel();
    command("RETR", remoteName, {125, 150, 154});
    const QString step = QStringLiteral("RETR ") + QString::fromUtf8(remoteName);
    FtpDataConnection* data = m_data ? m_data : acceptDataConnection(step);
    const qint64 limit = maxBytes < 0 ? std::numeric_limits<qsizetype>::max() - 1 : maxBytes;
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const FtpDataConnection::State state = data->read(bytes, limit);
        // Refused as it arrives: a file over its limit is neither kept in memory nor written.
        if (bytes.size() > limit)
            abandonTransfer(step, QStringLiteral("%1: more than %2 bytes").arg(step).arg(limit));
        if (state != FtpDataConnection::State::Open) {
            data->close();
            finishTransfer(step, state == FtpDataConnection::State::Closed);
            return bytes;
        }
        // The data may take its grace time plus what its bytes need at the slowest rate
        // accepted: a trickle runs out of time however it spaces its bytes.
        const qint64 allowed = m_limits.dataMs + qint64(bytes.size()) * 1000 /
                                                     std::max(1, m_limits.minBytesPerSecond);
        const qint64 left = allowed - clock.elapsed();
        bool readable = false;
        data->watchRead();
        const auto woke = [&readable] { return readable; };
        QMetaObject::Connection wake = connect(data, &FtpDataConnection::activity, this,
                                               [&readable] { readable = true; });
        const bool moved = left > 0 && waitFor(woke, int(std::min<qint64>(left, INT_MAX)));
        disconnect(wake);
        if (!moved)
            fail(QStringLiteral("%1: no data within %2 ms (%3 bytes came in time)")
                     .arg(step)
                     .arg(allowed)
                     .arg(bytes.size()),
                 true);
    }
}

void FtpClient::store(const QString& remoteName, const QByteArray& bytes) {
    requireConnected();
    withFallback([&] { storeOnce(remoteName, bytes); });
}

void FtpClient::storeOnce(const QString& remoteName, const QByteArray& bytes) {
    openDataChannel();
    command("STOR", remoteName.toUtf8(), {125, 150});
    const QString step = QStringLiteral("STOR ") + remoteName;
    FtpDataConnection* data = m_data ? m_data : acceptDataConnection(step);
    const qint64 allowed =
        m_limits.dataMs + qint64(bytes.size()) * 1000 / std::max(1, m_limits.minBytesPerSecond);
    QElapsedTimer clock;
    clock.start();
    qint64 sent = 0;
    while ((sent = data->write(bytes, sent)) >= 0 && sent < bytes.size()) {
        bool writable = false;
        data->watchWrite();
        QMetaObject::Connection wake = connect(data, &FtpDataConnection::activity, this,
                                               [&writable] { writable = true; });
        const qint64 left = allowed - clock.elapsed();
        const bool moved =
            left > 0 && waitFor([&writable] { return writable; }, int(std::min<qint64>(left, INT_MAX)));
        disconnect(wake);
        if (!moved)
            fail(QStringLiteral("%1: the data did not go out within %2 ms").arg(step).arg(allowed),
                 true);
    }
    // The end of the data is the normal close; a connection that broke first leaves the
    // server with part of the file, which does not count as stored.
    if (sent >= 0)
        data->close();
    finishTransfer(step, sent >= 0);
}

void FtpClient::finishTransfer(const QString& step, bool dataComplete) {
    closeData();
    const Reply reply = expect(step, {225, 226, 250, 426, 450}, kTransferEnd);
    if (reply.code == 426 || reply.code == 450) {
        // One more reply closes an aborted transfer; it is read so that the next command gets
        // its own answer, but the transfer stays a failure whatever it says.
        expect(step, {225, 226}, kTransferEnd);
        fail(QStringLiteral("%1: %2").arg(step, describe(reply)), false);
    }
    if (!dataComplete)
        fail(QStringLiteral("%1: the data connection broke off (%2)").arg(step, describe(reply)),
             false);
}

void FtpClient::abandonTransfer(const QString& step, const QString& why) {
    if (m_data)
        m_data->abort();
    closeData();
    // The server answers the broken-off transfer. That answer is taken here so the next
    // command gets its own; without one the exchange is out of step and is given up.
    try {
        readReply(step, kTransferEnd);
    } catch (const FtpError&) {
        fail(QStringLiteral("%1 (%2: no reply)").arg(why, step), true);
    }
    fail(why, false);
}

void FtpClient::closeData() {
    if (m_data) {
        m_data->disconnect(this);
        m_data->abort();
        m_data->deleteLater();
        m_data = nullptr;
    }
    if (m_listener) {
        m_listener->close();
        m_listener->deleteLater();
        m_listener = nullptr;
    }
}

void FtpClient::quit() {
    if (isConnected()) {
        m_control->write("QUIT\r\n");
        m_control->flush();
    }
    disconnectFromHost();
}

void FtpClient::disconnectFromHost() {
    closeData();
    m_loggedIn = false;
    m_replyBuffer.clear();
    if (m_control) {
        m_control->disconnect(this);
        m_control->abort();
        m_control->deleteLater();
        m_control = nullptr;
    }
}

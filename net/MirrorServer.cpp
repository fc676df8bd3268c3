#include "net/MirrorServer.h"

#include "base/Errors.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>

namespace {

constexpr int kResumeMs = 100;

// The toolkit reports why listening failed only as a kind; the user gets the system's words.
int errnoFor(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::AddressInUseError:
        return EADDRINUSE;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return EADDRNOTAVAIL;
    case QAbstractSocket::SocketResourceError:
        return EMFILE;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return EAFNOSUPPORT;
    default:
        return EINVAL;
    }
}

} // namespace

MirrorServer::MirrorServer(QObject* parent) : QObject(parent) {
    m_server = new QTcpServer(this);
    m_server->setObjectName(QStringLiteral("ssBeep"));
    connect(m_server, &QTcpServer::newConnection, this, [this] { ssBeepAccept(); });
    connect(m_server, &QTcpServer::acceptError, this, [this] { acceptFailed(); });
}

MirrorServer::~MirrorServer() = default;

void MirrorServer::setPort(int port) {
    if (port == m_port)
        return;
    if (isListening())
        throw AppError(
            QStringLiteral("Wert kann nicht geändert werden, während der Socket aktiv ist"));
    m_port = port;
}

int MirrorServer::listeningPort() const {
    return isListening() ? m_server->serverPort() : m_port;
}

bool MirrorServer::isListening() const {
    return m_server->isListening();
}

void MirrorServer::open() {
    if (isListening())
        return;
    if (m_port < 0 || m_port > 65535)
        throw AppError(socketErrorText(EINVAL, QStringLiteral("bind")));
    if (!m_server->listen(QHostAddress::Any, quint16(m_port)))
        throw AppError(socketErrorText(errnoFor(m_server->serverError()), QStringLiteral("bind")));
}

QString MirrorServer::socketErrorText(int error, const QString& call) {
    return QStringLiteral("Windows-Socket-Fehler: %1 (%2), auf API '%3'")
        .arg(QString::fromLocal8Bit(std::strerror(error)))
        .arg(error)
        .arg(call);
}

void MirrorServer::acceptFailed() {
    // Out of open files (or another passing shortage): the toolkit stops accepting. Held
    // connections are few, so the shortage passes; the server listens again shortly.
    if (!m_server->isListening())
        return;
    m_server->pauseAccepting();
    QTimer::singleShot(kResumeMs, m_server, [server = m_server] { server->resumeAccepting(); });
}

void MirrorServer::ssBeepAccept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_held.removeAll(nullptr);
        // The oldest earlier peer makes room. It receives nothing any more anyway, and its
        // closing is not a peer's disconnect: the served peer stays connected.
        while (m_held.size() >= kHeldPeers) {
            QTcpSocket* oldest = m_held.takeFirst();
            oldest->disconnect(this);
            oldest->abort();
            oldest->deleteLater();
        }
        m_held.append(socket);
        // What a peer says is never acted on; it is taken off the socket so it cannot pile up.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            socket->deleteLater();
            ssBeepClientDisconnect();
        });
        m_client = socket;
        m_connected = true;
        emit peerConnected();
    }
}

void MirrorServer::ssBeepClientDisconnect() {
    m_connected = false;
    emit peerDisconnected();
}

void MirrorServer::send(const QByteArray& message) {
    QTcpSocket* socket = m_client;
    if (!socket || socket->state() != QAbstractSocket::ConnectedState || message.isEmpty())
        return;
    // A message the system only took in part waits in the socket's own buffer; while it
    // cannot leave, the send buffer counts as full and further messages are dropped whole,
    // so the peer never sees half a message followed by another one.
    if (socket->bytesToWrite() > 0) {
        socket->flush();
        if (socket->bytesToWrite() > 0)
            return;
    }
    const ssize_t sent = ::send(int(socket->socketDescriptor()), message.constData(),
                                std::size_t(message.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0) {
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR)
            return;
        closeAfterFailure(socket);
        throw AppError(socketErrorText(error, QStringLiteral("send")));
    }
    if (sent < message.size())
        socket->write(message.constData() + sent, message.size() - sent);
}

void MirrorServer::closeAfterFailure(QTcpSocket* socket) {
    socket->abort();
    // Closing clears the connection state whether or not the toolkit reports the end itself.
    if (m_connected)
        ssBeepClientDisconnect();
}

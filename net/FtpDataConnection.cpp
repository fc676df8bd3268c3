#include "net/FtpDataConnection.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 64 * 1024;

} // namespace

FtpDataConnection::FtpDataConnection(qintptr descriptor, QObject* parent)
    : QObject(parent), m_descriptor(descriptor) {
    m_readable = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    m_writable = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
    // One wake-up per wait: the waiting call reads or writes, then watches again.
    for (QSocketNotifier* notifier : {m_readable, m_writable}) {
        notifier->setEnabled(false);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
            notifier->setEnabled(false);
            emit activity();
        });
    }
}

FtpDataConnection::~FtpDataConnection() {
    close();
}

FtpDataConnection* FtpDataConnection::connectTo(const QHostAddress& address, quint16 port,
                                                QObject* parent) {
    sockaddr_storage storage{};
    socklen_t size = 0;
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4) {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(ipv4);
        size = sizeof(sockaddr_in);
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        size = sizeof(sockaddr_in6);
    } else {
        return nullptr;
    }
    const int descriptor =
        ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return nullptr;
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&storage), size) != 0 &&
        errno != EINPROGRESS) {
        ::close(descriptor);
        return nullptr;
    }
    return new FtpDataConnection(descriptor, parent);
}

int FtpDataConnection::connectError() const {
    if (m_descriptor < 0)
        return EBADF;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(int(m_descriptor), SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

QHostAddress FtpDataConnection::peerAddress() const {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (m_descriptor < 0 ||
        ::getpeername(int(m_descriptor), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return {};
    return QHostAddress(reinterpret_cast<const sockaddr*>(&address));
}

FtpDataConnection::State FtpDataConnection::read(QByteArray& into, qint64 limit) {
    if (m_descriptor < 0)
        return State::Broken;
    while (into.size() <= limit) {
        const qint64 room = std::min(kChunk, limit + 1 - into.size());
        const qsizetype before = into.size();
        into.resize(before + room);
        const ssize_t got = ::recv(int(m_descriptor), into.data() + before, size_t(room), MSG_DONTWAIT);
        into.resize(before + std::max<ssize_t>(got, 0));
        if (got > 0)
            continue;
        if (got == 0)
            return State::Closed;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return State::Open;
        return State::Broken; // a reset: the server broke the transfer off
    }
    return State::Open;
}

qint64 FtpDataConnection::write(const QByteArray& bytes, qint64 offset) {
    while (m_descriptor >= 0 && offset < bytes.size()) {
        const qint64 size = std::min(kChunk, bytes.size() - offset);
        const ssize_t sent = ::send(int(m_descriptor), bytes.constData() + offset, size_t(size),
                                    MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            offset += sent;
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return offset;
        return -1;
    }
    return m_descriptor >= 0 ? offset : -1;
}

void FtpDataConnection::watchRead() {
    m_readable->setEnabled(m_descriptor >= 0);
}

void FtpDataConnection::watchWrite() {
    m_writable->setEnabled(m_descriptor >= 0);
}

void FtpDataConnection::close() {
    if (m_descriptor < 0)
        return;
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    ::close(int(m_descriptor));
    m_descriptor = -1;
}

void FtpDataConnection::abort() {
    if (m_descriptor >= 0) {
        const linger reset{1, 0};
        ::setsockopt(int(m_descriptor), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    close();
}

FtpDataListener::~FtpDataListener() {
    for (const qintptr descriptor : std::as_const(m_pending))
        ::close(int(descriptor));
}

FtpDataConnection* FtpDataListener::takeConnection(QObject* parent) {
    if (m_pending.isEmpty())
        return nullptr;
    return new FtpDataConnection(m_pending.takeFirst(), parent);
}

void FtpDataListener::incomingConnection(qintptr descriptor) {
    m_pending.append(descriptor);
    emit arrived();
}

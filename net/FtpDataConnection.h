#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QSocketNotifier;

/// The data connection of one FTP transfer, driven on the socket itself. Unlike the toolkit's
/// socket it tells a connection the server reset from one it closed, so a transfer that broke
/// off is never taken for a whole file.
class FtpDataConnection final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpDataConnection)

public:
    enum class State { Open, Closed, Broken };

    /// Takes over the connected socket @p descriptor.
    explicit FtpDataConnection(qintptr descriptor, QObject* parent = nullptr);
    ~FtpDataConnection() override;

    /// Starts a connection to @p address : @p port (a passive transfer); it is made once the
    /// socket can be written and connectError() is 0. Nothing when no socket can be had.
    static FtpDataConnection* connectTo(const QHostAddress& address, quint16 port,
                                        QObject* parent);
    /// The error that ended a connection attempt (errno), 0 when it is made.
    int connectError() const;

    QHostAddress peerAddress() const;

    /// Appends what has arrived to @p into, but no more than makes it @p limit + 1 bytes long
    /// (so a file over the limit shows at once and no more of it is read). Open while the
    /// server may send more, Closed after its normal end, Broken after a reset or error.
    State read(QByteArray& into, qint64 limit);
    /// Sends what the system takes now of @p bytes from @p offset; returns the new offset, or
    /// -1 when the connection broke.
    qint64 write(const QByteArray& bytes, qint64 offset);
    /// Ends the connection normally (what was sent still goes out).
    void close();
    /// Ends the connection with a reset: the server sees the transfer broken off.
    void abort();

    /// Lets activity() tell when the socket can be read, or written.
    void watchRead();
    void watchWrite();

signals:
    void activity();

private:
    qintptr m_descriptor = -1;
    QSocketNotifier* m_readable = nullptr;
    QSocketNotifier* m_writable = nullptr;
};

/// Listens for the server's data connection and hands over each connection's socket as it is.
class FtpDataListener final : public QTcpServer {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpDataListener)

public:
    using QTcpServer::QTcpServer;
    ~FtpDataListener() override;

    bool hasConnection() const { return !m_pending.isEmpty(); }
    /// The oldest connection not yet taken; the caller owns it.
    FtpDataConnection* takeConnection(QObject* parent);

signals:
    void arrived();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QList<qintptr> m_pending;
};

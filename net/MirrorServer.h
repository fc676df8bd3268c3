#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

class QTcpServer;

/// The MulTiZ1rp mirror server (`ssBeep`): listens on one TCP port on all local addresses and
/// sends messages to the peer that connected last. It never reads what a peer sends.
///
/// Runs on the GUI thread, driven by socket events. Sending never blocks: a message that the
/// system cannot take at once (the peer does not read and the send buffer is full) is dropped.
/// Earlier peers stay open, but only the last kHeldPeers: a crowd of connections closes the
/// oldest ones and can neither use up the program's open files nor stop later peers.
class MirrorServer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MirrorServer)

public:
    static constexpr int kDefaultPort = 1337;
    /// Connections held at most, the served peer included.
    static constexpr int kHeldPeers = 4;

    explicit MirrorServer(QObject* parent = nullptr);
    ~MirrorServer() override;

    /// The port the server listens on, or will listen on once opened.
    int port() const { return m_port; }
    /// Sets the port. While listening only the same port is accepted; another one raises
    /// "Wert kann nicht geändert werden, während der Socket aktiv ist".
    void setPort(int port);
    /// The port actually listened on (differs from port() only when that is 0: any free port).
    int listeningPort() const;

    bool isListening() const;
    /// Starts listening; does nothing when already listening. Raises an AppError with the
    /// system's error text when the port cannot be opened.
    void open();

    /// True from the acceptance of a peer until any peer disconnects.
    bool connected() const { return m_connected; }
    /// The most recently accepted peer (`MirrorClient`), if any.
    QTcpSocket* client() const { return m_client; }

    /// Sends one message to the current peer; nothing without one. A full send buffer drops
    /// the message. Any other failure closes that peer and raises
    /// "Windows-Socket-Fehler: %s (%d), auf API 'send'".
    void send(const QByteArray& message);

    /// Builds the socket layer's error text: "Windows-Socket-Fehler: <text> (<number>), auf
    /// API '<call>'".
    static QString socketErrorText(int error, const QString& call);

signals:
    /// A peer connected (`ssBeepAccept`).
    void peerConnected();
    /// A peer disconnected, whichever it was (`ssBeepClientDisconnect`).
    void peerDisconnected();

private:
    void ssBeepAccept();
    void ssBeepClientDisconnect();
    void closeAfterFailure(QTcpSocket* socket);
    void acceptFailed();

    QTcpServer* m_server = nullptr;
    QPointer<QTcpSocket> m_client;
    /// The open peer connections, oldest first.
    QList<QPointer<QTcpSocket>> m_held;
    int m_port = kDefaultPort;
    bool m_connected = false;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>

class FtpDataConnection;
class FtpDataListener;
class QTcpSocket;

/// A failed FTP exchange. The text says which step failed and what the server replied; it
/// never holds the password.
class FtpError : public std::runtime_error {
public:
    explicit FtpError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

/// The library's FTP client (`IdFTP1`): one control connection, binary transfers (RFC 959).
///
/// Data connections are active first (the client listens and sends PORT). When the server
/// refuses PORT, the connection goes on passive (EPSV of RFC 2428, then PASV) for the rest of
/// its life; when an active data connection does not arrive in time (a firewall or NAT in
/// between), the client logs in again and repeats the transfer passively. setPassive(true)
/// starts every connection passive. A passive data connection always goes to the address of
/// the control connection's peer, whatever address a 227 reply names.
///
/// A reply whose code cannot answer the command just sent (a late reply to an earlier one,
/// a duplicate) is passed over, never taken as that command's answer.
///
/// Every call returns when its exchange is done and raises FtpError when it fails. While it
/// waits, the window repaints but takes no input. Each reply has an overall deadline and each
/// transfer one that grows with the bytes moved, so a server that is gone, stops answering or
/// trickles costs seconds. Replies and files have size limits that hold while the bytes arrive.
/// A transfer counts only when its data connection ended normally and the server confirmed it
/// without first reporting it aborted.
class FtpClient final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FtpClient)

public:
    static constexpr int kDefaultPort = 21;

    /// Time limits in milliseconds: for the connection to be made, for each whole reply, and
    /// for the data connection to open. A transfer may take dataMs plus the time its bytes need
    /// at minBytesPerSecond, so a slow but moving server finishes and a trickle does not.
    struct Limits {
        int connectMs = 5000;
        int replyMs = 5000;
        int dataMs = 5000;
        int minBytesPerSecond = 16 * 1024;
    };

    /// The longest reply (all its lines) that is read; a longer one gives the connection up.
    static constexpr qsizetype kMaxReplyBytes = 64 * 1024;

    /// A reply of the server: its three-digit code and its text (all lines).
    struct Reply {
        int code = 0;
        QString text;
    };

    explicit FtpClient(QObject* parent = nullptr);
    ~FtpClient() override;

    void setLimits(const Limits& limits) { m_limits = limits; }
    /// Passive data connections from the start of every connection (the network page's
    /// "Passiven Modus erzwingen").
    void setPassive(bool passive) { m_forcePassive = passive; }
    bool forcesPassive() const { return m_forcePassive; }
    /// True while the connection uses passive data connections.
    bool usesPassive() const { return m_passive; }
    const Limits& limits() const { return m_limits; }

    /// One complete reply at the start of @p buffer (the bytes received on the control
    /// connection) and the number of bytes it takes, or nothing while it is incomplete.
    /// A multi-line reply ("123-" … "123 ") is one reply; a line that carries no code becomes
    /// a reply with code 0, which no step accepts.
    static std::optional<std::pair<Reply, qsizetype>> parseReply(const QByteArray& buffer);

    /// "host" or "host:port"; without a port (or with one that is no number) the port is 21.
    static std::pair<QString, int> splitHostPort(const QString& host);

    /// Connects and logs in: greeting 220, USER (230, or 331 then PASS 230), TYPE I, SYST.
    /// A failure leaves the connection closed.
    void connectToHost(const QString& host, const QString& user, const QString& password);
    /// True while logged in on an open control connection.
    bool isConnected() const;

    /// CWD; 200 or 250.
    void changeDirectory(const QString& directory);
    /// RETR: the file's bytes. A file of more than @p maxBytes
    /// is refused as soon as more has arrived.
    QByteArray retrieve(const QString& remoteName, qint64 maxBytes = kNoLimit);
    /// The same with the name's bytes as they are (a name from a list that is not UTF-8).
    QByteArray retrieve(const QByteArray& remoteName, qint64 maxBytes = kNoLimit);
    QByteArray retrieve(const char* remoteName, qint64 maxBytes = kNoLimit) {
        return retrieve(QByteArray(remoteName), maxBytes);
    }
    /// STOR, replacing the remote file.
    void store(const QString& remoteName, const QByteArray& data);
    /// DELE; true when the server removed the file (250), false when it refused. Raises only
    /// when the exchange itself fails.
    bool remove(const QString& remoteName);

    static constexpr qint64 kNoLimit = -1;

    /// Sends QUIT when connected, without waiting for the reply, and closes the connection.
    void quit();
    /// Closes the connection without a word to the server.
    void disconnectFromHost();

signals:
    /// Something happened on a socket: a waiting call looks again.
    void activity();

private:
    using Condition = std::function<bool()>;
    using Codes = std::initializer_list<int>;
    bool waitFor(const Condition& done, int limitMs);
    void logIn();
    template <typename Transfer> auto withFallback(Transfer&& transfer) -> decltype(transfer());
    QByteArray retrieveOnce(const QByteArray& remoteName, qint64 maxBytes);
    void storeOnce(const QString& remoteName, const QByteArray& data);
    void openDataChannel();
    bool openActiveData();
    void openPassiveData();
    void watch(QTcpSocket* socket);
    void requireConnected() const;
    bool controlOpen() const;
    void sendCommand(const QByteArray& verb, const QByteArray& argument = {});
    void readControl();
    void dropUnrequestedReplies();
    bool hasReply() const;
    Reply takeReply();
    Reply readReply(const QString& step, const QList<int>& possible);
    Reply expect(const QString& step, Codes accepted, const QList<int>& possible);
    Reply ask(const QByteArray& verb, const QByteArray& argument, Codes accepted);
    Reply command(const QByteArray& verb, const QByteArray& argument, Codes accepted);
    [[noreturn]] void fail(const QString& message, bool closeConnection);
    FtpDataConnection* acceptDataConnection(const QString& step);
    void finishTransfer(const QString& step, bool dataComplete);
    [[noreturn]] void abandonTransfer(const QString& step, const QString& why);
    void closeData();

    Limits m_limits;
    QTcpSocket* m_control = nullptr;
    FtpDataListener* m_listener = nullptr;
    FtpDataConnection* m_data = nullptr;
    QByteArray m_replyBuffer;
    bool m_replyOverflow = false;
    bool m_loggedIn = false;
    bool m_forcePassive = false;
    bool m_passive = false;
    bool m_epsvRefused = false;
    /// Set when an active data connection did not come in time: the transfer is repeated
    /// passively on a new connection.
    bool m_activeTimedOut = false;
    bool m_replyTimedOut = false;
    // What a new login needs.
    QString m_host;
    QString m_user;
    QString m_password;
    QString m_directory;
};

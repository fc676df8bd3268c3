#pragma once

#include <QByteArray>
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

/// The library's FTP client (`IdFTP1`): one control connection, active data connections
/// (the client listens and sends PORT), binary transfers (RFC 959).
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
    /// RETR over an active data connection: the file's bytes. A file of more than @p maxBytes
    /// is refused as soon as more has arrived.
    QByteArray retrieve(const QString& remoteName, qint64 maxBytes = kNoLimit);
    /// The same with the name's bytes as they are (a name from a list that is not UTF-8).
    QByteArray retrieve(const QByteArray& remoteName, qint64 maxBytes = kNoLimit);
    QByteArray retrieve(const char* remoteName, qint64 maxBytes = kNoLimit) {
        return retrieve(QByteArray(remoteName), maxBytes);
    }
    /// STOR over an active data connection, replacing the remote file.
    void store(const QString& remoteName, const QByteArray& data);

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
    bool waitFor(const Condition& done, int limitMs);
    void watch(QTcpSocket* socket);
    void requireConnected() const;
    bool controlOpen() const;
    void sendCommand(const QByteArray& verb, const QByteArray& argument = {});
    void readControl();
    void dropUnrequestedReplies();
    bool hasReply() const;
    Reply takeReply();
    Reply readReply(const QString& step);
    Reply expect(const QString& step, std::initializer_list<int> accepted);
    Reply command(const QByteArray& verb, const QByteArray& argument,
                  std::initializer_list<int> accepted);
    [[noreturn]] void fail(const QString& message, bool closeConnection);
    void openDataListener();
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
};

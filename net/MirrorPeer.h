#pragma once

#include "net/MirrorStreamSplitter.h"

#include <QList>
#include <QObject>
#include <QPair>

class QTcpSocket;

/// The other end of the MulTiZ1rp mirror: connects to a mirror server, collects the track-2
/// tones it sends and plays them through the program's sound output when told to.
///
/// "C" stops and forgets the tones, "D<f>|<d>" adds one ("D-1|-1" ends the list), "P" plays
/// the list from its first tone. Messages are cut at carriage returns however they arrive;
/// anything else is ignored. A "C" that arrives during a tone takes effect when it ends.
class MirrorPeer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MirrorPeer)

public:
    using Tone = QPair<int, int>; ///< frequency in Hz (0 = rest), duration in ms

    explicit MirrorPeer(QObject* parent = nullptr);
    ~MirrorPeer() override;

    void connectToServer(const QString& host, int port);
    QTcpSocket* socket() const { return m_socket; }

    /// Acts on one message (without its carriage return).
    void handleMessage(const QByteArray& message);

    const QList<Tone>& tones() const { return m_tones; }
    bool listComplete() const { return m_complete; }
    bool isPlaying() const { return m_playing; }

signals:
    void connected();
    void disconnected();
    void failed(const QString& error);
    /// The list has been played to its end.
    void finished();
    void messageHandled(const QByteArray& message);

private:
    void playNext();

    QTcpSocket* m_socket = nullptr;
    MirrorStreamSplitter m_splitter;
    QList<Tone> m_tones;
    qsizetype m_position = 0;
    bool m_complete = false;
    bool m_playing = false;
    bool m_stepScheduled = false;
};

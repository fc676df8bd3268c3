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
/// anything else is ignored. A tone sounds in pieces of kPieceMs, with the messages read in
/// between, so a "C" (or a "P" that starts the list again) cuts the tone short at once. Tone
/// lengths are held to kMaxToneMs and the list to kMaxTones tones; further tones are ignored.
class MirrorPeer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MirrorPeer)

public:
    using Tone = QPair<int, int>; ///< frequency in Hz (0 = rest), duration in ms

    static constexpr int kMaxToneMs = 10 * 60 * 1000;
    static constexpr qsizetype kMaxTones = 2000000;
    static constexpr int kPieceMs = 100;

    explicit MirrorPeer(QObject* parent = nullptr);
    ~MirrorPeer() override;

    void connectToServer(const QString& host, int port);
    QTcpSocket* socket() const { return m_socket; }

    /// Acts on one message (without its carriage return).
    void handleMessage(const QByteArray& message);

    const QList<Tone>& tones() const { return m_tones; }
    bool listComplete() const { return m_complete; }
    bool isPlaying() const { return m_playing; }
    /// True while a piece of a tone sounds or the next one is due.
    bool isSounding() const { return m_stepScheduled; }

signals:
    void connected();
    void disconnected();
    void failed(const QString& error);
    /// The list has been played to its end.
    void finished();
    void messageHandled(const QByteArray& message);

private:
    void playNext();
    void scheduleNext();
    void stopTone();

    QTcpSocket* m_socket = nullptr;
    MirrorStreamSplitter m_splitter;
    QList<Tone> m_tones;
    qsizetype m_position = 0;
    bool m_complete = false;
    bool m_playing = false;
    bool m_stepScheduled = false;
    /// The tone sounding now: its frequency, the milliseconds played and still to play.
    int m_toneFrequency = 0;
    int m_toneDoneMs = 0;
    int m_toneLeftMs = 0;
};

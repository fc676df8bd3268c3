#include "net/MirrorPeer.h"

#include "audio/SoundDevice.h"
#include "audio/SystemBeep.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdint>

MirrorPeer::MirrorPeer(QObject* parent) : QObject(parent) {
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &MirrorPeer::connected);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        // Nobody is left to play along with.
        m_playing = false;
        stopTone();
        emit disconnected();
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            emit failed(m_socket->errorString());
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        for (const QByteArray& message : m_splitter.feed(m_socket->readAll()))
            handleMessage(message);
    });
}

MirrorPeer::~MirrorPeer() = default;

void MirrorPeer::connectToServer(const QString& host, int port) {
    m_socket->connectToHost(host, quint16(port));
}

void MirrorPeer::handleMessage(const QByteArray& message) {
    switch (message.isEmpty() ? '\0' : message.front()) {
    case 'C':
        m_playing = false;
        stopTone();
        m_tones.clear();
        m_position = 0;
        m_complete = false;
        break;
    case 'D': {
        const QList<QByteArray> fields = message.mid(1).split('|');
        bool frequencyOk = false;
        bool durationOk = false;
        const int frequency = fields.value(0).trimmed().toInt(&frequencyOk);
        const int duration = fields.value(1).trimmed().toInt(&durationOk);
        if (fields.size() != 2 || !frequencyOk || !durationOk)
            break; // not a tone this peer understands
        if (frequency == -1 && duration == -1)
            m_complete = true;
        else if (m_tones.size() < kMaxTones)
            m_tones.append({frequency, std::min(duration, kMaxToneMs)});
        break;
    }
    case 'P':
        m_playing = true;
        m_position = 0;
        stopTone();
        if (!m_stepScheduled)
            scheduleNext();
        break;
    default:
        break;
    }
    emit messageHandled(message);
}

void MirrorPeer::scheduleNext() {
    m_stepScheduled = true;
    QTimer::singleShot(0, this, [this] { playNext(); });
}

void MirrorPeer::stopTone() {
    m_toneLeftMs = 0;
}

namespace {

std::uint64_t samplesIn(int ms) {
    return std::uint64_t(std::max(ms, 0)) * SoundDevice::kSampleRate / 1000;
}

} // namespace

void MirrorPeer::playNext() {
    m_stepScheduled = false;
    if (!m_playing)
        return;
    if (m_toneLeftMs <= 0) {
        if (m_position >= m_tones.size()) {
            m_playing = false;
            emit finished();
            return;
        }
        const Tone tone = m_tones[m_position++];
        if (tone.second <= 0) {
            SystemBeep(tone.first, tone.second); // sounds nothing
            scheduleNext();
            return;
        }
        m_toneFrequency = tone.first;
        m_toneDoneMs = 0;
        m_toneLeftMs = tone.second;
    }
    // One piece at a time, so messages that came meanwhile are read between pieces.
    const int piece = std::min(m_toneLeftMs, kPieceMs);
    if (systemBeepHooked()) {
        SystemBeep(m_toneFrequency, piece);
    } else {
        const std::uint64_t first = samplesIn(m_toneDoneMs);
        SoundDevice::instance().play(
            beepPiece(m_toneFrequency, first, samplesIn(m_toneDoneMs + piece) - first));
    }
    m_toneDoneMs += piece;
    m_toneLeftMs -= piece;
    scheduleNext();
}

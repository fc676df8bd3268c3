#include "net/MirrorPeer.h"

#include "audio/SystemBeep.h"

#include <QTcpSocket>
#include <QTimer>

MirrorPeer::MirrorPeer(QObject* parent) : QObject(parent) {
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &MirrorPeer::connected);
    connect(m_socket, &QTcpSocket::disconnected, this, &MirrorPeer::disconnected);
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
        else
            m_tones.append({frequency, duration});
        break;
    }
    case 'P':
        m_playing = true;
        m_position = 0;
        if (!m_stepScheduled) {
            m_stepScheduled = true;
            QTimer::singleShot(0, this, [this] { playNext(); });
        }
        break;
    default:
        break;
    }
    emit messageHandled(message);
}

void MirrorPeer::playNext() {
    m_stepScheduled = false;
    if (!m_playing)
        return;
    if (m_position >= m_tones.size()) {
        m_playing = false;
        emit finished();
        return;
    }
    const Tone tone = m_tones[m_position++];
    // One tone at a time, so messages that came meanwhile are read between tones.
    SystemBeep(tone.first, tone.second);
    m_stepScheduled = true;
    QTimer::singleShot(0, this, [this] { playNext(); });
}

#pragma once

#include <QByteArray>
#include <QList>

/// Cuts the mirror's byte stream into messages at carriage returns, however the stream
/// arrives: split inside a message or several messages joined in one read.
class MirrorStreamSplitter {
public:
    /// A message longer than this is thrown away whole, up to its carriage return: no song line
    /// is that long, and a peer must not grow without bound on a broken stream.
    static constexpr qsizetype kMaxMessage = 4096;

    /// Adds received bytes; returns the messages they complete, without their carriage return.
    QList<QByteArray> feed(const QByteArray& bytes);
    /// Bytes received after the last complete message.
    const QByteArray& pending() const { return m_pending; }

private:
    QByteArray m_pending;
    bool m_overlong = false; ///< the bytes up to the next carriage return belong to a dropped one
};

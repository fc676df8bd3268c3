#include "net/MirrorStreamSplitter.h"

#include "net/MirrorProtocol.h"

QList<QByteArray> MirrorStreamSplitter::feed(const QByteArray& bytes) {
    QList<QByteArray> messages;
    m_pending.append(bytes);
    qsizetype start = 0;
    for (qsizetype end = m_pending.indexOf(MirrorProtocol::kEnd); end >= 0;
         end = m_pending.indexOf(MirrorProtocol::kEnd, start)) {
        // An over-long message is dropped whole: its tail alone would read as a message of
        // its own ("D…" in the middle of a flood is a tone nobody sent).
        if (!m_overlong && end - start <= kMaxMessage)
            messages.append(m_pending.mid(start, end - start));
        m_overlong = false;
        start = end + 1;
    }
    m_pending.remove(0, start);
    if (m_pending.size() > kMaxMessage) {
        m_pending.clear();
        m_overlong = true;
    }
    return messages;
}

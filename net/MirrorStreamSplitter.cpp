#include "net/MirrorStreamSplitter.h"

#include "net/MirrorProtocol.h"

QList<QByteArray> MirrorStreamSplitter::feed(const QByteArray& bytes) {
    QList<QByteArray> messages;
    m_pending.append(bytes);
    qsizetype start = 0;
    for (qsizetype end = m_pending.indexOf(MirrorProtocol::kEnd); end >= 0;
         end = m_pending.indexOf(MirrorProtocol::kEnd, start)) {
        messages.append(m_pending.mid(start, end - start));
        start = end + 1;
    }
    m_pending.remove(0, start);
    if (m_pending.size() > kMaxMessage)
        m_pending.clear();
    return messages;
}

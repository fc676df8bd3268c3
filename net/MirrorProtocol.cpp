#include "net/MirrorProtocol.h"

namespace MirrorProtocol {

QByteArray clear() {
    return QByteArrayLiteral("C\r");
}

QByteArray data(const QString& frequency, const QString& duration) {
    // The list texts go out byte for byte as 8-bit text, like the song file writes them.
    return 'D' + frequency.toLatin1() + '|' + duration.toLatin1() + kEnd;
}

QByteArray endOfData() {
    return QByteArrayLiteral("D-1|-1\r");
}

QByteArray play() {
    return QByteArrayLiteral("P\r");
}

} // namespace MirrorProtocol

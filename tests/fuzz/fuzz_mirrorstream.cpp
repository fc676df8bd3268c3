// The mirror's stream splitter on any bytes, arriving in pieces: the first byte chooses the
// piece sizes. No message holds a carriage return, the bytes kept back stay within the
// splitter's limit, and a stream without over-long messages gives the same messages however
// it is cut.

#include "FuzzCheck.h"
#include "net/MirrorStreamSplitter.h"

#include <cstddef>
#include <cstdint>

namespace {

/// The longest stretch without a carriage return.
qsizetype longestRun(const QByteArray& stream) {
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const char c : stream) {
        run = c == '\r' ? 0 : run + 1;
        longest = qMax(longest, run);
    }
    return longest;
}

QList<QByteArray> split(const QByteArray& stream, int pieceSize, QByteArray* pending) {
    MirrorStreamSplitter splitter;
    QList<QByteArray> messages;
    for (qsizetype at = 0; at < stream.size(); at += pieceSize)
        messages += splitter.feed(stream.mid(at, pieceSize));
    *pending = splitter.pending();
    return messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int pieceSize = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    QByteArray pendingWhole;
    const QList<QByteArray> whole =
        split(stream, int(qMax<qsizetype>(stream.size(), 1)), &pendingWhole);
    QByteArray pendingPieces;
    const QList<QByteArray> pieces = split(stream, pieceSize, &pendingPieces);
    for (const QByteArray& message : pieces) {
        fuzzCheck(!message.contains('\r'), "a message holds no carriage return");
        fuzzCheck(message.size() <= MirrorStreamSplitter::kMaxMessage,
                  "an over-long message is dropped whole, not its tail");
    }
    fuzzCheck(pieces == whole, "messages do not depend on how the stream arrives");
    fuzzCheck(pendingPieces.size() <= MirrorStreamSplitter::kMaxMessage, "kept bytes are bounded");
    // Over-long messages are dropped as far as they were received at the time, so only
    // streams without them are independent of their pieces.
    if (longestRun(stream) <= MirrorStreamSplitter::kMaxMessage)
        fuzzCheck(pieces == whole && pendingPieces == pendingWhole,
                  "the messages do not depend on how the stream arrives");
    return 0;
}

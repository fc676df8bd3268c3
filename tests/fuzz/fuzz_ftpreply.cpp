// The FTP client's reply reader on any bytes from the control connection, arriving in pieces:
// the first byte chooses the piece sizes. Replies are taken as the client takes them, each
// as soon as the buffer holds it whole; a reply ends at a line end and takes at least one
// byte, and the replies and the bytes left over are the same however the stream is cut.

#include "FuzzCheck.h"
#include "net/FtpClient.h"

#include <cstddef>
#include <cstdint>

namespace {

struct Taken {
    QList<FtpClient::Reply> replies;
    QByteArray left;
};

Taken receive(const QByteArray& stream, qsizetype pieceSize) {
    Taken taken;
    for (qsizetype at = 0; at < stream.size(); at += pieceSize) {
        taken.left += stream.mid(at, pieceSize);
        while (const auto parsed = FtpClient::parseReply(taken.left)) {
            const qsizetype used = parsed->second;
            fuzzCheck(used > 0 && used <= taken.left.size(), "a reply takes bytes it has");
            fuzzCheck(taken.left.at(used - 1) == '\n', "a reply ends at a line end");
            const FtpClient::Reply& reply = parsed->first;
            fuzzCheck(reply.code >= 0 && reply.code <= 999, "a code has three digits");
            fuzzCheck(reply.code == 0 ||
                          reply.text.startsWith(QString::fromLatin1(taken.left.left(3))),
                      "the text begins with the code");
            taken.replies.append(reply);
            taken.left.remove(0, used);
        }
    }
    return taken;
}

bool same(const Taken& a, const Taken& b) {
    if (a.left != b.left || a.replies.size() != b.replies.size())
        return false;
    for (qsizetype i = 0; i < a.replies.size(); ++i)
        if (a.replies[i].code != b.replies[i].code || a.replies[i].text != b.replies[i].text)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const qsizetype pieceSize = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const Taken whole = receive(stream, qMax<qsizetype>(stream.size(), 1));
    const Taken pieces = receive(stream, pieceSize);
    fuzzCheck(same(whole, pieces), "the replies do not depend on how the stream arrives");
    return 0;
}

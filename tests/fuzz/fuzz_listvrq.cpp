// The library's list file on any bytes: one entry per line, a line ending at CR LF, LF or CR
// and a final line end adding none. Each entry keeps its bytes: the list written back is the
// same lines, byte for byte, each ended by CR LF, whatever their encoding.

#include "FuzzCheck.h"
#include "net/LibraryFiles.h"

#include <cstddef>
#include <cstdint>

namespace {

/// The lines of @p bytes, read on bytes alone.
QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        lines.append(line);
        line.clear();
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> lines = linesOf(bytes);
    const auto entries = LibraryFiles::parseList(bytes);
    fuzzCheck(entries.size() == lines.size(), "one entry per line");
    QByteArray expected;
    for (const QByteArray& line : lines)
        expected += line + "\r\n";
    const QByteArray written = LibraryFiles::formatList(entries);
    fuzzCheck(written == expected, "each entry keeps its bytes");
    fuzzCheck(LibraryFiles::parseList(written) == entries, "the written list reads back");
    return 0;
}

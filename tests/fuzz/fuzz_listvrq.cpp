// The library's list file on any bytes: one entry per line, a line ending at CR LF, LF or CR
// and a final line end adding none. Each entry keeps its bytes, whatever their encoding: the
// list written back is the same lines, byte for byte, each ended by CR LF, and reads back as
// the same entries; the name an entry shows is its UTF-8 text, or Latin-1 where it is not
// UTF-8, and holds no line end.

#include "FuzzCheck.h"
#include "net/LibraryFiles.h"

#include <QStringDecoder>

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
    const QList<QByteArray> entries = LibraryFiles::listEntries(bytes);
    fuzzCheck(entries == lines, "one entry per line, with the line's bytes");
    QByteArray expected;
    for (const QByteArray& line : lines)
        expected += line + "\r\n";
    const QByteArray written = LibraryFiles::joinEntries(entries);
    fuzzCheck(written == expected, "the list is written back byte for byte");
    fuzzCheck(LibraryFiles::listEntries(written) == entries, "the written list reads back");

    const QStringList names = LibraryFiles::parseList(bytes);
    fuzzCheck(names.size() == entries.size(), "one name per entry");
    for (qsizetype i = 0; i < entries.size(); ++i) {
        fuzzCheck(names[i] == LibraryFiles::entryName(entries[i]), "a name is its entry's name");
        fuzzCheck(!names[i].contains(QLatin1Char('\r')) && !names[i].contains(QLatin1Char('\n')),
                  "a name holds no line end");
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        const QString text = utf8.decode(entries[i]);
        if (utf8.hasError())
            fuzzCheck(names[i] == QString::fromLatin1(entries[i]), "8-bit entries read as Latin-1");
        else
            fuzzCheck(names[i] == text ||
                          (text.startsWith(QChar::ByteOrderMark) && names[i] == text.mid(1)),
                      "UTF-8 entries read as UTF-8");
    }
    return 0;
}

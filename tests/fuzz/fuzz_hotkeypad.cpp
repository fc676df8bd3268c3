// The HotKeyPad file on any bytes: always eight values without line ends, and the values read
// from a file come back unchanged from the file the pad writes of them.

#include "FuzzCheck.h"
#include "tools/HotKeyPadFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList values =
        HotKeyPadFile::parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    fuzzCheck(values.size() == HotKeyPadFile::kLines, "a file gives eight values");
    for (const QString& value : values)
        fuzzCheck(!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')),
                  "values hold no line end");
    fuzzCheck(HotKeyPadFile::parse(HotKeyPadFile::encode(values)) == values,
              "saved values load back unchanged");
    return 0;
}

// The JPEG loader on any bytes, whole and in part: either a picture whose pixel buffer matches
// its size, or the loader's own error; never a crash, a hang or an allocation out of proportion.

#include "FuzzCheck.h"
#include "settings/JpegImage.h"

#include <QRect>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const JpegImage image =
            decodeJpeg(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        fuzzCheck(image.width > 0 && image.height > 0, "a decoded picture has pixels");
        fuzzCheck(image.rgb.size() == qsizetype(image.stride()) * image.height,
                  "the pixel buffer holds every row");
    } catch (const EJpegError& error) {
        fuzzCheck(error.message().startsWith(QStringLiteral("JPEG-Bild fehlerhaft: ")),
                  "errors carry the loader's text");
    }
    // The part decoder, on a part that small pictures only partly cover.
    try {
        const QRect part(3, 2, 20, 9);
        const JpegImage image = decodeJpegRegion(
            QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), part);
        fuzzCheck(image.width <= part.width() && image.height <= part.height(),
                  "a part is no larger than asked for");
        fuzzCheck(image.rgb.size() == qsizetype(image.stride()) * image.height,
                  "the part's buffer holds every row");
    } catch (const EJpegError& error) {
        fuzzCheck(error.message().startsWith(QStringLiteral("JPEG-Bild fehlerhaft: ")),
                  "errors carry the loader's text");
    }
    return 0;
}

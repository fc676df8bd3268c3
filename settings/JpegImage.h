#pragma once

#include "base/Errors.h"

#include <QByteArray>
#include <QRect>

/// A picture decoded from JPEG bytes: 8-bit RGB, rows top to bottom, no padding.
struct JpegImage {
    int width = 0;
    int height = 0;
    /// width × height × 3 bytes, red, green, blue per pixel.
    QByteArray rgb;

    /// Bytes per row.
    int stride() const { return width * 3; }
};

/// A picture that cannot be decoded: "JPEG-Bild fehlerhaft: <reason>".
class EJpegError : public AppError {
public:
    explicit EJpegError(const QString& reason);
};

/// Decodes JPEG bytes with libjpeg. Damaged data — also data that the library would only
/// warn about and fill with grey, such as a file cut short — raises EJpegError, so a broken
/// picture never shows up half grey.
JpegImage decodeJpeg(const QByteArray& bytes);

/// Decodes only the part of the picture inside `region` (in picture pixels; what lies outside
/// the picture is left out). Rows above the part are skipped and columns beside it are not
/// converted, so a window that shows a corner of a large picture pays for little more than that
/// corner. Errors as for decodeJpeg.
JpegImage decodeJpegRegion(const QByteArray& bytes, const QRect& region);

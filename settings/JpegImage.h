#pragma once

#include "base/Errors.h"

#include <QByteArray>

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

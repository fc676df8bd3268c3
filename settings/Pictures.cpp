#include "settings/Pictures.h"

#include "base/Guard.h"
#include "settings/JpegImage.h"

#include <QFile>

namespace Pictures {

QImage load(const QString& name) {
    QFile file(QStringLiteral(":/pictures/%1.jpg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw EJpegError(QStringLiteral("Bild \"%1\" nicht gefunden").arg(name));
    const JpegImage decoded = decodeJpeg(file.readAll());
    // The decoded rows are tightly packed RGB; copy() detaches from the decoder's buffer.
    return QImage(reinterpret_cast<const uchar*>(decoded.rgb.constData()), decoded.width,
                  decoded.height, decoded.stride(), QImage::Format_RGB888)
        .copy();
}

QImage loadOrReport(const QString& name) {
    QImage image;
    guarded([&] { image = load(name); });
    return image;
}

} // namespace Pictures

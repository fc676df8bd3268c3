#include "gui/Pictures.h"

#include "base/Guard.h"
#include "settings/JpegImage.h"

#include <QFile>

namespace Pictures {

namespace {

QByteArray resource(const QString& name) {
    QFile file(QStringLiteral(":/pictures/%1.jpg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        throw EJpegError(QStringLiteral("Bild \"%1\" nicht gefunden").arg(name));
    return file.readAll();
}

QImage toImage(const JpegImage& decoded) {
    if (decoded.width <= 0 || decoded.height <= 0)
        return {};
    // The decoded rows are tightly packed RGB; copy() detaches from the decoder's buffer.
    return QImage(reinterpret_cast<const uchar*>(decoded.rgb.constData()), decoded.width,
                  decoded.height, decoded.stride(), QImage::Format_RGB888)
        .copy();
}

} // namespace

QImage load(const QString& name) {
    return toImage(decodeJpeg(resource(name)));
}

QImage loadRegion(const QString& name, const QRect& region) {
    try {
        return toImage(decodeJpegRegion(resource(name), region));
    } catch (const AppError&) {
        return {};
    }
}

QImage loadOrReport(const QString& name) {
    QImage image;
    guarded([&] { image = load(name); });
    return image;
}

} // namespace Pictures

#include "gui/Pictures.h"

#include "base/Guard.h"
#include "settings/JpegImage.h"

#include <QFile>

#include <future>
#include <optional>
#include <vector>

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

QImage decodeWhole(const QString& name) {
    return toImage(decodeJpeg(resource(name)));
}

QImage decodeRegion(const QString& name, const QRect& region) {
    try {
        return toImage(decodeJpegRegion(resource(name), region));
    } catch (const AppError&) {
        return {};
    }
}

/// Pictures decodeAhead() decodes, each taken by the first load of it; asked for and taken on
/// the window's thread only. An empty region stands for the whole picture.
struct Ahead {
    QString name;
    QRect region;
    std::future<QImage> image;
};
std::vector<Ahead> g_ahead;

/// The picture decoded ahead for `name` and `region`, if there is one: its decoder's error
/// comes with it.
std::optional<QImage> takeAhead(const QString& name, const QRect& region) {
    for (auto it = g_ahead.begin(); it != g_ahead.end(); ++it) {
        if (it->name == name && it->region == region) {
            std::future<QImage> image = std::move(it->image);
            g_ahead.erase(it);
            return image.get();
        }
    }
    return std::nullopt;
}

} // namespace

QImage load(const QString& name) {
    if (std::optional<QImage> ahead = takeAhead(name, QRect()))
        return *ahead;
    return decodeWhole(name);
}

QImage loadRegion(const QString& name, const QRect& region) {
    if (std::optional<QImage> ahead = takeAhead(name, region))
        return *ahead;
    return decodeRegion(name, region);
}

void decodeAhead(const QString& name, const QRect& region) {
    g_ahead.push_back({name, region, std::async(std::launch::async, [name, region] {
                           return region.isNull() ? decodeWhole(name) : decodeRegion(name, region);
                       })});
}

QImage loadOrReport(const QString& name) {
    QImage image;
    guarded([&] { image = load(name); });
    return image;
}

} // namespace Pictures

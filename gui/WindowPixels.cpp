#include "gui/WindowPixels.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

#include <cmath>

const QImage* windowPixels(const QPainter& painter, const QWidget& widget) {
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* target = engine ? engine->paintDevice() : nullptr;
    QBackingStore* window = widget.window()->backingStore();
    if (!target || target->devType() != QInternal::Image || !window ||
        target != window->paintDevice())
        return nullptr;
    const QTransform toDevice = painter.deviceTransform();
    const auto whole = [](qreal x) { return x == std::floor(x); };
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() != toDevice.m22() ||
        !whole(toDevice.m11()) || !whole(toDevice.dx()) || !whole(toDevice.dy()))
        return nullptr;
    return static_cast<const QImage*>(target);
}

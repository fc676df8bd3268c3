#include "base/ResponsiveLoop.h"

#include <QCoreApplication>

ResponsiveLoop::ResponsiveLoop() {
    m_sinceEvents.start();
}

void ResponsiveLoop::step() {
    if (m_sinceEvents.elapsed() < kIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.restart();
}

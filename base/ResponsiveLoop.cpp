#include "base/ResponsiveLoop.h"

#include <QCoreApplication>

namespace {

int g_processing = 0;

} // namespace

bool ResponsiveLoop::running() { return g_processing > 0; }

ResponsiveLoop::ResponsiveLoop() {
    m_sinceEvents.start();
}

void ResponsiveLoop::step() {
    if (m_sinceEvents.elapsed() < kIntervalMs)
        return;
    ++g_processing;
    QCoreApplication::processEvents();
    --g_processing;
    m_sinceEvents.restart();
}

#pragma once

#include <QElapsedTimer>

/// Keeps the window responsive during a long loop on the GUI thread: `step()` after every
/// item lets the toolkit process pending events once about 10 ms have passed since it last
/// did. Processing after literally every item would cost more than the items themselves.
class ResponsiveLoop {
public:
    static constexpr int kIntervalMs = 10;

    ResponsiveLoop();
    void step();

    /// True while a loop lets the toolkit process events: what happens then belongs to the
    /// loop's command.
    static bool running();

private:
    QElapsedTimer m_sinceEvents;
};

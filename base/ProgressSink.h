#pragma once

#include <QString>

/// Where an engine shows how far a long step has come: the main window's progress bar and
/// status text, or nothing at all without a window.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    /// `current` of `total` done; `text` is shown while no other status text stands. Reaching
    /// 100 % clears bar and text, and a total of 0 counts as done.
    virtual void ShowProgress(int current, int total, const QString& text) = 0;
};

/// A sink that shows nothing (the command line, tests of an engine alone).
class NoProgress final : public ProgressSink {
public:
    void ShowProgress(int, int, const QString&) override {}
};

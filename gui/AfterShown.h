#pragma once

#include <functional>

class QObject;
class QWidget;

/// Runs `action` once, from the event loop, after `window` has first been drawn on the screen:
/// work that may wait (a network connection at start) must not keep the window from
/// appearing. A window that is shown but not drawn (minimised, on another desktop) gets the
/// action a second after it was shown; a window never shown never gets it. The action runs
/// inside the error guard and is dropped when `context` goes first.
void runAfterShown(QWidget* window, QObject* context, std::function<void()> action);

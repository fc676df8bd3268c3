#pragma once

class QImage;
class QPainter;
class QWidget;

/// The window's own pixels that @p painter draws into while @p widget is painted on the screen,
/// provided it moves and scales by whole pixels only. Null for anything else (a picture of the
/// window, a printer, a turned or finely scaled painter): what is drawn there is drawn afresh.
///
/// Pictures kept for drawing again are taken from, or copied into, these pixels: text is
/// smoothed differently on the window than on a separate picture.
const QImage* windowPixels(const QPainter& painter, const QWidget& widget);

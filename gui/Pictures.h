#pragma once

#include <QImage>
#include <QRect>
#include <QString>

/// The program's pictures, decoded from the JPEG resources with the program's own loader.
namespace Pictures {

inline const QString kBackground = QStringLiteral("BildHALT");
inline const QString kPiano = QStringLiteral("Klaviatur");
inline const QString kCredits = QStringLiteral("Credits");

/// The picture of that name (":/pictures/<name>.jpg"), decoded anew: windows keep what they
/// show, nothing else holds on to the decoded pixels.
/// Raises EJpegError when the resource is missing or damaged.
QImage load(const QString& name);

/// Like load(), but a damaged or missing picture gives an empty image and its error text
/// goes to the error display: a window without its picture still works.
QImage loadOrReport(const QString& name);

/// Only the part of the picture inside `region` (picture pixels), decoded without the rest.
/// A damaged or missing picture gives an empty image and reports nothing: the whole picture,
/// loaded with loadOrReport, reports it.
QImage loadRegion(const QString& name, const QRect& region);

/// Starts decoding that part of the picture (the whole picture for an empty region) on a worker
/// thread while the window's start goes on; the next loadRegion() of the same part, or load()
/// of the whole picture, takes it instead of decoding it again.
void decodeAhead(const QString& name, const QRect& region = QRect());

} // namespace Pictures

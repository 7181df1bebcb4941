#pragma once
// PNG images read with Qt's own reader and no guessing. Asked for an image
// of a format no plugin names, Qt asks every image-format plugin whether it
// reads it, which loads them all (and the TIFF, WebP, MNG… libraries behind
// them) for the rest of the process: half a megabyte and more of an idle app.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace PngImage {

// Null when the data or file is not a readable PNG.
QImage fromData(const QByteArray &data);
QImage fromFile(const QString &path);

} // namespace PngImage

#pragma once
// PNG images in and out without Qt's guessing. Asked for an image of a
// format no plugin names (PNG is built in), Qt's image reader and writer ask
// every image-format plugin whether it handles it, which loads them all (and
// the TIFF, WebP, MNG… libraries behind them) for the rest of the process:
// over a megabyte of an idle app.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace PngImage {

// Null when the data or file is not a readable PNG.
QImage fromData(const QByteArray &data);
QImage fromFile(const QString &path);

// A one-bit image (QImage::Format_Mono) as a one-bit grey PNG, its colour
// table read as white or black, deflated at the zlib level given. Empty for
// another format.
QByteArray monochrome(const QImage &image, int compressionLevel);

} // namespace PngImage

#include "platform/PngImage.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QImage readPng(QImageReader &reader)
{
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QImage PngImage::fromData(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    return readPng(reader);
}

QImage PngImage::fromFile(const QString &path)
{
    QImageReader reader(path, "png");
    return readPng(reader);
}

#include "platform/PngImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <zlib.h>

namespace {

QImage readPng(QImageReader &reader)
{
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

void appendChunk(QByteArray &png, const char (&type)[5], const QByteArray &data)
{
    const auto bigEndian = [&png](quint32 value) {
        char bytes[4];
        qToBigEndian(value, bytes);
        png.append(bytes, 4);
    };
    bigEndian(quint32(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    bigEndian(quint32(::crc32(0, reinterpret_cast<const Bytef *>(png.constData() + start), uInt(4 + data.size()))));
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

QByteArray PngImage::monochrome(const QImage &image, int compressionLevel)
{
    if (image.format() != QImage::Format_Mono || image.isNull())
        return {};
    // Grey one-bit samples are 1 for white: each table index becomes that bit.
    const bool zeroIsWhite = qGray(image.color(0)) >= qGray(image.color(1));
    const qsizetype rowBytes = (image.width() + 7) / 8;
    QByteArray rows;
    rows.reserve((rowBytes + 1) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        rows.append('\0'); // no filter
        const uchar *line = image.constScanLine(y);
        for (qsizetype x = 0; x < rowBytes; ++x)
            rows.append(char(zeroIsWhite ? ~line[x] : line[x]));
    }
    uLongf deflatedSize = ::compressBound(uLong(rows.size()));
    QByteArray deflated(qsizetype(deflatedSize), Qt::Uninitialized);
    if (::compress2(reinterpret_cast<Bytef *>(deflated.data()), &deflatedSize,
                    reinterpret_cast<const Bytef *>(rows.constData()), uLong(rows.size()), compressionLevel)
        != Z_OK)
        return {};
    deflated.truncate(qsizetype(deflatedSize));

    QByteArray header(13, '\0');
    qToBigEndian(quint32(image.width()), header.data());
    qToBigEndian(quint32(image.height()), header.data() + 4);
    header[8] = 1; // bit depth; colour type 0 (grey), deflate, no filter, not interlaced
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", deflated);
    appendChunk(png, "IEND", {});
    return png;
}

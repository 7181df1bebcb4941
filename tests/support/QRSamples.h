#pragma once
// Images with QR codes in them, made in memory from our own generator.

#include "platform/BrimQR.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <utility>
#include <vector>

// The generated code for the text, decoded.
inline QImage qrSample(const QString &text)
{
    return QImage::fromData(BrimQR::png(text).value(), "PNG");
}

// A white canvas with each code drawn at its point (top left corner).
inline QImage qrCanvas(QSize size, const std::vector<std::pair<QString, QPoint>> &codes)
{
    QImage canvas(size, QImage::Format_Grayscale8);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    for (const auto &[text, at] : codes)
        painter.drawImage(at, qrSample(text));
    return canvas;
}

inline QByteArray encodedImage(const QImage &image, const char *format = "PNG", int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

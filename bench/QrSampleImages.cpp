// qr-sample-images DIR: writes the QR reading benchmark's images.
//   photo.jpg  8000 x 5000, a noisy, shaded scene with one small code, turned
//              by 7 degrees and slightly soft, as a phone photo would have it;
//   codes.png  4096 x 3072, two different codes of different sizes.
#include "platform/BrimQR.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>

namespace {

QImage code(const QString &text)
{
    return QImage::fromData(BrimQR::png(text).value(), "PNG");
}

QImage photo()
{
    QImage image(8000, 5000, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // A soft light falling across a warm surface, with sensor noise.
            const int shade = 150 + 60 * x / image.width() - 50 * y / image.height();
            const int noise = int(random.bounded(25u)) - 12;
            row[x] = qRgb(qBound(0, shade + 20 + noise, 255), qBound(0, shade + noise, 255),
                          qBound(0, shade - 25 + noise, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Clutter: dark blocks and lines that a detector must pass over.
    for (int i = 0; i < 300; ++i) {
        painter.setPen(QPen(QColor::fromHsv(int(random.bounded(360u)), 120, 60), 6));
        painter.drawLine(int(random.bounded(8000u)), int(random.bounded(5000u)), int(random.bounded(8000u)),
                         int(random.bounded(5000u)));
    }
    // The code, about 5 % of the width, slightly turned and softened.
    const QImage sticker = code(QStringLiteral("https://ostrel.app/brimkit/photo?sample=1")).scaledToWidth(
        420, Qt::SmoothTransformation);
    painter.translate(5600, 3300);
    painter.rotate(7);
    painter.drawImage(0, 0, sticker);
    return image;
}

QImage twoCodes()
{
    QImage image(4096, 3072, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 230));
    QPainter painter(&image);
    painter.drawImage(300, 400, code(QStringLiteral("First code: order 4711")).scaledToWidth(900));
    painter.drawImage(2600, 1800, code(QStringLiteral("https://example.com/second?code=2")).scaledToWidth(700));
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: qr-sample-images DIR\n");
        return 2;
    }
    const QDir dir(app.arguments().at(1));
    if (!dir.mkpath(QStringLiteral(".")) || !photo().save(dir.filePath(QStringLiteral("photo.jpg")), "JPEG", 85)
        || !twoCodes().save(dir.filePath(QStringLiteral("codes.png")), "PNG")) {
        std::fprintf(stderr, "could not write the images into %s\n", qPrintable(dir.path()));
        return 1;
    }
    return 0;
}

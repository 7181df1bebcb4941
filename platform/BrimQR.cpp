#include "platform/BrimQR.h"

#include "core/BrimQRRules.h"
#include "platform/PlatformLogging.h"
#include "platform/PngImage.h"
#include "platform/QrencodeQRGenerator.h"
#include "platform/ZXingQRDetector.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

#include <cstring>

namespace {

// Qt refuses to allocate decoded images over 256 MiB; a 40-megapixel image at
// 16 bits per channel needs 320 MB. The limit is process-wide, so it is raised
// (never lowered) before main, while no other thread can be reading it.
[[maybe_unused]] const bool largestImageAllowed = [] {
    constexpr qint64 bytesPerPixel = 8;
    constexpr int limitMiB = int((BrimQRRules::maxImagePixels * bytesPerPixel + (1 << 20) - 1) >> 20);
    const int current = QImageReader::allocationLimit();
    if (current != 0 && current < limitMiB)
        QImageReader::setAllocationLimit(limitMiB);
    return true;
}();

// The symbol inside its quiet zone, every module an 8 x 8 square, one bit per pixel.
QImage framed(const QImage &modules)
{
    using namespace BrimQRRules;
    static_assert(pixelsPerModule == 8, "a module is one byte of a one-bit row");
    const int sideModules = modules.width() + 2 * quietZoneModules;
    const int side = sideModules * pixelsPerModule;
    QImage image(side, side, QImage::Format_Mono);
    if (image.isNull())
        return {};
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < modules.height(); ++y) {
        const uchar *source = modules.constScanLine(y);
        uchar *first = image.scanLine((y + quietZoneModules) * pixelsPerModule);
        for (int x = 0; x < modules.width(); ++x) {
            if (source[x] != 0)
                continue;
            // 8 pixels per module: one whole byte of the row, most significant bit first.
            first[x + quietZoneModules] = 0xff;
        }
        for (int copy = 1; copy < pixelsPerModule; ++copy)
            std::memcpy(image.scanLine((y + quietZoneModules) * pixelsPerModule + copy), first,
                        std::size_t(image.bytesPerLine()));
    }
    return image;
}

// The image bytes as a reader sees them, turned as the image says.
struct ImageReading {
    explicit ImageReading(const QByteArray &data)
    {
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setAutoTransform(true);
    }
    QBuffer buffer;
    QImageReader reader;
};

// The texts of the codes in the image decoded at this size, each once; none
// found is no failure here.
Result<QStringList, BrimQRFailure> detectAt(const QByteArray &data, QSize scaled)
{
    ImageReading reading(data);
    reading.reader.setScaledSize(scaled);
    const QImage image = reading.reader.read();
    if (image.isNull())
        return Failure{BrimQRFailure::image};
    const Result<QStringList, BrimQRFailure> detected = ZXingQRDetector::detect(image);
    if (!detected)
        return detected;
    QStringList texts;
    QSet<QString> seen;
    for (const QString &text : *detected) {
        if (!seen.contains(text)) {
            seen.insert(text);
            texts << text;
        }
    }
    return texts;
}

} // namespace

Result<QByteArray, BrimQRFailure> BrimQR::png(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (!BrimQRRules::payloadFits(bytes.size()))
        return Failure{BrimQRFailure::payload};
    const std::optional<QImage> modules = QrencodeQRGenerator::modules(bytes);
    if (!modules)
        return Failure{BrimQRFailure::payload};
    // zlib level 2 instead of 6: the largest code is written in a third of the
    // time, at about 12 KB instead of 6 KB.
    QByteArray png = PngImage::monochrome(framed(*modules), 2);
    if (png.isEmpty()) {
        qCWarning(lcPlatform) << "could not encode the QR image as PNG";
        return Failure{BrimQRFailure::image};
    }
    return png;
}

QSize BrimQR::decodedSize(const QByteArray &data)
{
    const QSize reported = ImageReading(data).reader.size();
    // Qt's GIF reader reports the first frame but allocates the logical
    // screen, which ten bytes can make 65,535 pixels a side.
    if (reported.isEmpty() || data.size() < 10 || !(data.startsWith("GIF87a") || data.startsWith("GIF89a")))
        return reported;
    const auto little16 = [&data](int at) { return int(uchar(data[at])) | int(uchar(data[at + 1])) << 8; };
    return reported.expandedTo({little16(6), little16(8)});
}

Result<QStringList, BrimQRFailure> BrimQR::read(const QByteArray &data)
{
    if (data.size() > BrimQRRules::maxImageBytes)
        return Failure{BrimQRFailure::image};
    // The header alone: nothing is decoded before the area is known to fit.
    const QSize size = decodedSize(data);
    if (!BrimQRRules::areaFits(size))
        return Failure{BrimQRFailure::image};
    // A photo's code is mostly found on a small copy; the larger look only
    // when that finds nothing.
    if (const QSize quick = BrimQRRules::quickDetectionSize(size); quick.isValid()) {
        const Result<QStringList, BrimQRFailure> texts = detectAt(data, quick);
        if (!texts || !texts->isEmpty())
            return texts;
    }
    const Result<QStringList, BrimQRFailure> texts = detectAt(data, BrimQRRules::detectionSize(size));
    if (texts && texts->isEmpty())
        return Failure{BrimQRFailure::noCode};
    return texts;
}

Result<QStringList, BrimQRFailure> BrimQR::readFile(const QString &path)
{
    // A pipe or device has no size to check and might never end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Failure{BrimQRFailure::image};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{BrimQRFailure::systemError(file.errorString())};
    const qint64 size = file.size();
    if (size > BrimQRRules::maxImageBytes)
        return Failure{BrimQRFailure::image};
    // What was measured, no more: a file that grows meanwhile stays bounded.
    const QByteArray data = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return Failure{BrimQRFailure::systemError(file.errorString())};
    return read(data);
}

#include "platform/ZXingQRDetector.h"

#include "platform/PlatformLogging.h"

#include <QPainter>

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <exception>

namespace {

// Luminance for the detector. Transparent pixels count as white, as on a
// page: a code drawn on a transparent background would otherwise vanish
// into black.
QImage luminance(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_Grayscale8);
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return {};
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    return flat.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

Result<QStringList, BrimQRFailure> ZXingQRDetector::detect(const QImage &image)
{
    const QImage grey = luminance(image);
    if (grey.isNull()) {
        qCWarning(lcPlatform) << "no memory for a detection copy of" << image.size();
        return Failure{BrimQRFailure::image};
    }
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                int(grey.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    ZXing::Results results;
    try {
        results = ZXing::ReadBarcodes(view, hints);
    } catch (const std::exception &error) {
        qCWarning(lcPlatform) << "ZXing failed:" << error.what();
        return Failure{BrimQRFailure::systemError(QString::fromLocal8Bit(error.what()))};
    }
    QStringList texts;
    for (const ZXing::Result &result : results) {
        if (!result.isValid())
            continue;
        const std::string text = result.text();
        if (!text.empty())
            texts << QString::fromStdString(text);
    }
    return texts;
}

#include "platform/QrencodeQRGenerator.h"

#include "platform/PlatformLogging.h"

#include <qrencode.h>

#include <cerrno>
#include <cstring>
#include <memory>

std::optional<QImage> QrencodeQRGenerator::modules(const QByteArray &bytes)
{
    // Version 0 lets the library pick the smallest symbol that holds the data.
    // encodeData, unlike the string functions, keeps NUL bytes.
    errno = 0;
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!code) {
        qCWarning(lcPlatform) << "libqrencode could not encode" << bytes.size() << "bytes:" << std::strerror(errno);
        return std::nullopt;
    }
    const int width = code->width;
    QImage image(width, width, QImage::Format_Grayscale8);
    if (image.isNull()) {
        qCWarning(lcPlatform) << "no memory for a QR symbol of" << width << "modules";
        return std::nullopt;
    }
    for (int y = 0; y < width; ++y) {
        const unsigned char *source = code->data + std::size_t(y) * std::size_t(width);
        uchar *row = image.scanLine(y);
        // Bit 0 of each byte is the module's colour; the other bits describe its role.
        for (int x = 0; x < width; ++x)
            row[x] = (source[x] & 1) ? 0 : 255;
    }
    return image;
}

#pragma once
// QR symbols from libqrencode: byte mode, error correction level M.

#include <QByteArray>
#include <QImage>

#include <optional>

namespace QrencodeQRGenerator {

// The symbol as a square Grayscale8 image, one pixel per module (0 dark,
// 255 light), without a quiet zone; nothing when the bytes do not fit a
// symbol or the library fails (logged).
std::optional<QImage> modules(const QByteArray &bytes);

} // namespace QrencodeQRGenerator

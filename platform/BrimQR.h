#pragma once
// The QR tool's two operations on the machine: a PNG of the code for a text,
// and the texts of every QR code in an image. Stateless; callable from any
// thread.

#include "core/BrimQRFailure.h"
#include "core/Result.h"
#include "models/BrimQRCodec.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

namespace BrimQR {

// PNG of the code for the text's UTF-8 bytes (1 to 2,000): level M, 8 pixels
// per module, a white quiet zone of 4 modules on every side.
Result<QByteArray, BrimQRFailure> png(const QString &text);

// The size of the image the bytes decode to, from the header alone; invalid
// when the header gives none. (A GIF decodes onto its whole logical screen,
// whatever its first frame's size.)
QSize decodedSize(const QByteArray &data);

// Texts of all QR codes in the image bytes, in detection order, each text once
// (the first occurrence stays). The size is read from the header and checked
// before any pixel is decoded.
Result<QStringList, BrimQRFailure> read(const QByteArray &data);

// The same for an image file. Only regular files are read, and no more than
// the size they had when opened; open and read errors come back with the
// system's description.
Result<QStringList, BrimQRFailure> readFile(const QString &path);

} // namespace BrimQR

// The codec above, as the QR model is given it.
class SystemBrimQRCodec final : public BrimQRCodec {
public:
    Result<QByteArray, BrimQRFailure> png(const QString &text) const override { return BrimQR::png(text); }
    Result<QStringList, BrimQRFailure> read(const QByteArray &data) const override { return BrimQR::read(data); }
    Result<QStringList, BrimQRFailure> readFile(const QString &path) const override { return BrimQR::readFile(path); }
};

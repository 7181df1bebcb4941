#pragma once
// QR code detection with ZXing-cpp: QR only, trying hard, every symbol of the
// image in one pass.

#include "core/BrimQRFailure.h"
#include "core/Result.h"

#include <QImage>
#include <QStringList>

namespace ZXingQRDetector {

// The texts of the QR codes found, in the detector's order, repeats included;
// symbols without text are left out. A detector error comes back with its own
// message; no memory for the detection copy is an image failure.
Result<QStringList, BrimQRFailure> detect(const QImage &image);

} // namespace ZXingQRDetector

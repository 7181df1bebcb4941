#pragma once
// Limits of the QR tool: what may be encoded, which images are read, and the
// size of the copy the detector looks at. Decimal units throughout.

#include <QSize>
#include <QtGlobal>

namespace BrimQRRules {

inline constexpr qsizetype maxPayloadBytes = 2000;
inline constexpr qint64 maxImageBytes = 30'000'000;
inline constexpr qint64 maxImagePixels = 40'000'000;
inline constexpr int maxDetectionSide = 4096;
// The small copy looked at first keeps at least this many pixels on its longer side.
inline constexpr int minQuickDetectionSide = 1200;
// The generated image: a white margin of 4 modules, 8 pixels per module.
inline constexpr int quietZoneModules = 4;
inline constexpr int pixelsPerModule = 8;

constexpr bool payloadFits(qsizetype utf8Bytes)
{
    return utf8Bytes >= 1 && utf8Bytes <= maxPayloadBytes;
}

// Both sides known and positive, and the area within the limit.
constexpr bool areaFits(QSize size)
{
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= maxImagePixels;
}

// The longer side brought down to the limit with the aspect kept (at least
// one pixel either way); smaller images keep their size.
constexpr QSize detectionSize(QSize size)
{
    const qint64 longer = qMax(size.width(), size.height());
    if (longer <= maxDetectionSide)
        return size;
    const auto scaled = [longer](qint64 side) {
        return int(qMax<qint64>(1, (side * maxDetectionSide + longer / 2) / longer));
    };
    return {scaled(size.width()), scaled(size.height())};
}

// The small copy a large image is looked at first: its sides divided by the
// largest of 2, 4 and 8 that leaves the longer side at least
// minQuickDetectionSide (a JPEG decodes such a fraction directly, at a
// fraction of the cost). Empty when no such copy is at most half the
// detection size's area.
constexpr QSize quickDetectionSize(QSize size)
{
    const qint64 longer = qMax(size.width(), size.height());
    int divisor = 1;
    while (divisor < 8 && longer / (divisor * 2) >= minQuickDetectionSide)
        divisor *= 2;
    const QSize full = detectionSize(size);
    const QSize quick{qMax(1, size.width() / divisor), qMax(1, size.height() / divisor)};
    if (divisor == 1 || 2 * qint64(quick.width()) * quick.height() > qint64(full.width()) * full.height())
        return {};
    return quick;
}

} // namespace BrimQRRules

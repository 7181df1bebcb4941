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

} // namespace BrimQRRules

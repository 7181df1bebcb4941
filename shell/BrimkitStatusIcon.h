#pragma once
// Draws the tray icon for a square slot: a countdown as its minutes left
// inside a ring, anything else as a symbol. Every shape is drawn in the ink
// colour and outlined by a halo of the opposite extreme, so the icon reads on
// light and dark panels alike. Pure painting, no tray involved.

#include "shell/BrimkitStatusGlyph.h"

#include <QColor>
#include <QIcon>
#include <QImage>

#include <array>

namespace BrimkitStatusIcon {
// Slot sizes hosts ask for (XEmbed trays 22, StatusNotifierItem hosts 16 to
// 64, the largest on high-density screens).
inline constexpr std::array<int, 6> sizes{16, 22, 24, 32, 48, 64};

QImage image(const BrimkitStatusGlyph &glyph, int size, const QColor &ink);
QIcon icon(const BrimkitStatusGlyph &glyph, const QColor &ink);
// Black or white, whichever stands further from the ink.
QColor haloFor(const QColor &ink);
} // namespace BrimkitStatusIcon

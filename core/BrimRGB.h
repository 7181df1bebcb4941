#pragma once
// An 8-bit sRGB colour, parsed from hexadecimal text and printed in the two
// forms the colour tool copies.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

struct BrimRGB {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    // Accepts 3 or 6 hexadecimal digits (either case) after an optional "#",
    // with whitespace and line breaks allowed around the whole text.
    static std::optional<BrimRGB> fromHex(QStringView text);

    // "#" and two upper-case digits per component, e.g. "#1A2B3C".
    QString hex() const;
    // e.g. "rgb(26, 43, 60)".
    QString rgb() const;

    friend bool operator==(const BrimRGB &, const BrimRGB &) = default;
};

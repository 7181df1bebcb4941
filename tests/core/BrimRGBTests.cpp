#include "core/BrimRGB.h"

#include <gtest/gtest.h>

// Which texts parse at all is the fuzz target's property (its seeds hold the
// awkward cases); here, what they parse to.
TEST(BrimRGB, Parsing)
{
    struct Row { QString text; std::optional<BrimRGB> colour; };
    const Row rows[] = {
        {" #abc\n", BrimRGB{170, 187, 204}}, {"FF8000", BrimRGB{255, 128, 0}}, {"#ff8000", BrimRGB{255, 128, 0}},
        {QString::fromUtf8("\u3000\u2029#000\u0085"), BrimRGB{0, 0, 0}}, {"#abcd", std::nullopt}, {"##abc", std::nullopt},
    };
    for (const Row &row : rows)
        EXPECT_EQ(BrimRGB::fromHex(row.text), row.colour) << row.text.toStdString();
}

TEST(BrimRGB, TextForms)
{
    struct Row { BrimRGB colour; const char *hex, *rgb; };
    const Row rows[] = {
        {{0, 0, 0}, "#000000", "rgb(0, 0, 0)"}, {{26, 43, 60}, "#1A2B3C", "rgb(26, 43, 60)"}, {{255, 8, 255}, "#FF08FF", "rgb(255, 8, 255)"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(row.colour.hex(), QLatin1String(row.hex));
        EXPECT_EQ(row.colour.rgb(), QLatin1String(row.rgb));
        EXPECT_EQ(BrimRGB::fromHex(row.colour.hex()), row.colour);
    }
}

#include "core/BrimRGB.h"

#include "core/HexDigit.h"
#include "core/UnicodeText.h"

std::optional<BrimRGB> BrimRGB::fromHex(QStringView text)
{
    // Every character trimmed here is in the Basic Multilingual Plane.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && UnicodeText::isWhitespaceOrNewline(text[begin].unicode()))
        ++begin;
    while (end > begin && UnicodeText::isWhitespaceOrNewline(text[end - 1].unicode()))
        --end;
    QStringView digits = text.sliced(begin, end - begin);
    if (digits.startsWith(u'#'))
        digits = digits.sliced(1);

    // Only ASCII hexadecimal digits survive, so counting code units is the
    // same as counting characters: any other character fails the digit test.
    if (digits.size() != 3 && digits.size() != 6)
        return std::nullopt;
    std::uint32_t value = 0;
    for (QChar c : digits) {
        const int digit = hexDigitValue(c.unicode());
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | std::uint32_t(digit);
        if (digits.size() == 3)
            value = value << 4 | std::uint32_t(digit);
    }
    return BrimRGB{std::uint8_t(value >> 16), std::uint8_t(value >> 8 & 0xFF), std::uint8_t(value & 0xFF)};
}

QString BrimRGB::hex() const
{
    return QStringLiteral("#%1%2%3")
        .arg(int(red), 2, 16, QLatin1Char('0'))
        .arg(int(green), 2, 16, QLatin1Char('0'))
        .arg(int(blue), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString BrimRGB::rgb() const
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(int(red)).arg(int(green)).arg(int(blue));
}

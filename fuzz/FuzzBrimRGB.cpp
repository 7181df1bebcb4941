// Colour parsing: no crash on any text; every accepted text is 3 or 6
// hexadecimal digits after trimming and one "#", and the printed forms parse
// back to the same colour.
#include "core/BrimRGB.h"
#include "fuzz/FuzzSupport.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const std::optional<BrimRGB> colour = BrimRGB::fromHex(text);

    // An independent statement of the accepted language.
    static const QRegularExpression accepted(QStringLiteral(
        "\\A[\\p{Zs}\\p{Zl}\\p{Zp}\\t\\n\\v\\f\\r\\x{85}]*#?([0-9A-Fa-f]{3}|[0-9A-Fa-f]{6})"
        "[\\p{Zs}\\p{Zl}\\p{Zp}\\t\\n\\v\\f\\r\\x{85}]*\\z"));
    FUZZ_CHECK(colour.has_value() == accepted.match(text).hasMatch());
    if (!colour)
        return 0;

    const QString hex = colour->hex();
    FUZZ_CHECK(hex.size() == 7 && hex.startsWith(u'#') && hex == hex.toUpper());
    FUZZ_CHECK(BrimRGB::fromHex(hex) == colour);
    FUZZ_CHECK(BrimRGB::fromHex(hex.toLower().mid(1)) == colour);
    const QString rgb = colour->rgb();
    FUZZ_CHECK(rgb == QStringLiteral("rgb(%1, %2, %3)").arg(int(colour->red)).arg(int(colour->green)).arg(int(colour->blue)));
    return 0;
}

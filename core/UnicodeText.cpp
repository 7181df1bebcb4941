#include "core/UnicodeText.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <iterator>

namespace {

constexpr char32_t capitalSigma = 0x03A3;
constexpr char32_t smallSigma = 0x03C3;
constexpr char32_t finalSigma = 0x03C2;
constexpr char32_t capitalIWithDot = 0x0130;

struct Range {
    char32_t first, last;
};

// Letters with the Other_Lowercase or Other_Uppercase property, which are
// cased although their general category is not Lu, Ll or Lt (Unicode 14).
constexpr Range otherCased[] = {
    {0x00AA, 0x00AA}, {0x00BA, 0x00BA}, {0x02B0, 0x02B8}, {0x02C0, 0x02C1}, {0x02E0, 0x02E4},
    {0x0345, 0x0345}, {0x037A, 0x037A}, {0x1D2C, 0x1D6A}, {0x1D78, 0x1D78}, {0x1D9B, 0x1DBF},
    {0x2071, 0x2071}, {0x207F, 0x207F}, {0x2090, 0x209C}, {0x2160, 0x217F}, {0x24B6, 0x24E9},
    {0x2C7C, 0x2C7D}, {0xA69C, 0xA69D}, {0xA770, 0xA770}, {0xA7F8, 0xA7F9}, {0xAB5C, 0xAB5F},
    {0x10780, 0x10780}, {0x10783, 0x10785}, {0x10787, 0x107B0}, {0x107B2, 0x107BA},
    {0x1F130, 0x1F149}, {0x1F150, 0x1F169}, {0x1F170, 0x1F189},
};

// Word_Break MidLetter, MidNumLet and Single_Quote: case-ignorable by
// property although their general category is punctuation.
constexpr char32_t midWordPunctuation[] = {
    0x0027, 0x002E, 0x003A, 0x00B7, 0x0387, 0x055F, 0x05F4, 0x2018, 0x2019,
    0x2024, 0x2027, 0xFE13, 0xFE52, 0xFE55, 0xFF07, 0xFF0E, 0xFF1A,
};

bool inRanges(char32_t c, const Range *begin, const Range *end)
{
    const Range *it = std::upper_bound(begin, end, c, [](char32_t v, const Range &r) { return v < r.first; });
    return it != begin && c <= (it - 1)->last;
}

bool isCased(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
        return true;
    default:
        return inRanges(c, std::begin(otherCased), std::end(otherCased));
    }
}

bool isCaseIgnorable(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return true;
    default:
        return std::binary_search(std::begin(midWordPunctuation), std::end(midWordPunctuation), c);
    }
}

// Unicode's Final_Sigma condition: a cased letter (skipping case-ignorable
// characters) before, and none after.
bool isFinalSigma(QStringView text, qsizetype index)
{
    qsizetype i = index;
    bool casedBefore = false;
    while (i > 0) {
        qsizetype start = i - 1;
        if (start > 0 && text[start].isLowSurrogate() && text[start - 1].isHighSurrogate())
            --start;
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, start, &length);
        i = start;
        if (isCaseIgnorable(c))
            continue;
        casedBefore = isCased(c);
        break;
    }
    if (!casedBefore)
        return false;
    i = index + 1;
    while (i < text.size()) {
        qsizetype length = 0;
        const char32_t c = UnicodeText::scalarAt(text, i, &length);
        i += length;
        if (isCaseIgnorable(c))
            continue;
        return !isCased(c);
    }
    return true;
}

// Full title-case mappings that differ from the simple one (SpecialCasing,
// unconditional entries); all of them are in the Basic Multilingual Plane.
struct TitleSpecial {
    char16_t from;
    char16_t to[3];
};
constexpr TitleSpecial titleSpecials[] = {
    {0x00DF, {0x0053, 0x0073}}, {0x0149, {0x02BC, 0x004E}}, {0x01F0, {0x004A, 0x030C}},
    {0x0390, {0x0399, 0x0308, 0x0301}}, {0x03B0, {0x03A5, 0x0308, 0x0301}}, {0x0587, {0x0535, 0x0582}},
    {0x1E96, {0x0048, 0x0331}}, {0x1E97, {0x0054, 0x0308}}, {0x1E98, {0x0057, 0x030A}},
    {0x1E99, {0x0059, 0x030A}}, {0x1E9A, {0x0041, 0x02BE}}, {0x1F50, {0x03A5, 0x0313}},
    {0x1F52, {0x03A5, 0x0313, 0x0300}}, {0x1F54, {0x03A5, 0x0313, 0x0301}}, {0x1F56, {0x03A5, 0x0313, 0x0342}},
    {0x1FB2, {0x1FBA, 0x0345}}, {0x1FB4, {0x0386, 0x0345}}, {0x1FB6, {0x0391, 0x0342}},
    {0x1FB7, {0x0391, 0x0342, 0x0345}}, {0x1FC2, {0x1FCA, 0x0345}}, {0x1FC4, {0x0389, 0x0345}},
    {0x1FC6, {0x0397, 0x0342}}, {0x1FC7, {0x0397, 0x0342, 0x0345}}, {0x1FD2, {0x0399, 0x0308, 0x0300}},
    {0x1FD3, {0x0399, 0x0308, 0x0301}}, {0x1FD6, {0x0399, 0x0342}}, {0x1FD7, {0x0399, 0x0308, 0x0342}},
    {0x1FE2, {0x03A5, 0x0308, 0x0300}}, {0x1FE3, {0x03A5, 0x0308, 0x0301}}, {0x1FE4, {0x03A1, 0x0313}},
    {0x1FE6, {0x03A5, 0x0342}}, {0x1FE7, {0x03A5, 0x0308, 0x0342}}, {0x1FF2, {0x1FFA, 0x0345}},
    {0x1FF4, {0x038F, 0x0345}}, {0x1FF6, {0x03A9, 0x0342}}, {0x1FF7, {0x03A9, 0x0342, 0x0345}},
    {0xFB00, {0x0046, 0x0066}}, {0xFB01, {0x0046, 0x0069}}, {0xFB02, {0x0046, 0x006C}},
    {0xFB03, {0x0046, 0x0066, 0x0069}}, {0xFB04, {0x0046, 0x0066, 0x006C}}, {0xFB05, {0x0053, 0x0074}},
    {0xFB06, {0x0053, 0x0074}}, {0xFB13, {0x0544, 0x0576}}, {0xFB14, {0x0544, 0x0565}},
    {0xFB15, {0x0544, 0x056B}}, {0xFB16, {0x054E, 0x0576}}, {0xFB17, {0x0544, 0x056D}},
};

void appendScalar(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

} // namespace

namespace UnicodeText {

char32_t scalarAt(QStringView text, qsizetype index, qsizetype *length)
{
    const QChar unit = text[index];
    if (unit.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(unit, text[index + 1]);
    }
    *length = 1;
    return unit.isSurrogate() ? char32_t(QChar::ReplacementCharacter) : char32_t(unit.unicode());
}

bool isWhiteSpace(char32_t c)
{
    if (c <= 0x20)
        return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    if (c < 0x85)
        return false;
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028
        || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isSpaceOrTab(char32_t c)
{
    return c == 0x09 || QChar::category(c) == QChar::Separator_Space;
}

bool isWhitespaceOrNewline(char32_t c)
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85)
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

bool isControl(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

QString upper(const QString &text)
{
    return text.toUpper();
}

QString lower(const QString &text)
{
    QString out = text.toLower();
    if (!text.contains(QChar(char16_t(capitalSigma))))
        return out;
    // toLower only ever lengthens U+0130 (to "i" and a combining dot); track
    // that shift to find each sigma in the output.
    qsizetype shift = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == capitalIWithDot)
            ++shift;
        else if (unit == capitalSigma && isFinalSigma(text, i))
            out[i + shift] = QChar(char16_t(finalSigma));
    }
    return out;
}

void appendTitle(QString &out, char32_t c)
{
    if (c >= 0xDF && c <= 0xFB17) {
        const TitleSpecial *it = std::lower_bound(std::begin(titleSpecials), std::end(titleSpecials), c,
                                                  [](const TitleSpecial &s, char32_t v) { return s.from < v; });
        if (it != std::end(titleSpecials) && it->from == c) {
            for (char16_t unit : it->to) {
                if (unit)
                    out += QChar(unit);
            }
            return;
        }
    }
    appendScalar(out, QChar::toTitleCase(c));
}

void appendLower(QString &out, QStringView text, qsizetype index, char32_t c)
{
    if (c == capitalIWithDot) {
        out += QChar(u'i');
        out += QChar(char16_t(0x0307));
    } else if (c == capitalSigma) {
        out += QChar(char16_t(isFinalSigma(text, index) ? finalSigma : smallSigma));
    } else {
        appendScalar(out, QChar::toLower(c));
    }
}

} // namespace UnicodeText

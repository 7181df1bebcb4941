#include "core/BrimTextOperation.h"
#include "core/UnicodeText.h"

#include <QStringList>
#include <QTextBoundaryFinder>
#include <gtest/gtest.h>

#include <random>

namespace {

QString scalarText(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

} // namespace

// Our linear-time mappings agree with Qt's full mappings on every scalar.
TEST(UnicodeText, CaseMappingsMatchQtOnEveryScalar)
{
    int mismatches = 0;
    for (char32_t c = 0; c < 0x110000 && mismatches < 10; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString text = scalarText(c);
        if (UnicodeText::upper(text) != text.toUpper()) {
            ADD_FAILURE() << "upper U+" << std::hex << unsigned(c);
            ++mismatches;
        }
        // A lone capital sigma is not final, so Qt's context-free answer holds.
        if (UnicodeText::lower(text) != text.toLower()) {
            ADD_FAILURE() << "lower U+" << std::hex << unsigned(c);
            ++mismatches;
        }
    }
}

// The cheap filters never hide a scalar that clusters with a space.
TEST(UnicodeText, ClusterFiltersCoverQtsBoundaries)
{
    for (char32_t c = 0; c < 0x110000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        for (char32_t space : {char32_t(0x20), char32_t(0xA0), char32_t(0x3000)}) {
            if (UnicodeText::continuesCharacter(space, c)) {
                ASSERT_TRUE(UnicodeText::mayExtendCharacter(c)) << std::hex << unsigned(c);
            }
            if (UnicodeText::continuesCharacter(c, space)) {
                ASSERT_TRUE(UnicodeText::mayPrependCharacter(c)) << std::hex << unsigned(c);
            }
        }
    }
}

// collapseSpaces agrees with a plain implementation over grapheme clusters
// found by QTextBoundaryFinder, on random texts rich in marks and spaces.
// (Indic and Thai scripts stay out: Qt runs script-specific passes over
// them that depart from the standard rules, even splitting surrogate pairs
// that follow them, so the code under test asks Qt about pairs only.)
TEST(UnicodeText, CollapseSpacesMatchesBoundaryFinder)
{
    const char32_t alphabet[] = {'a', 'Z', ' ', '\t', '\n', 0x0B, 0x85, 0xA0, 0x3000, 0x2028, 0x0301, 0x200D,
                                 0x0600, 0x1F3FB, 0x1F600, 0x1F1E9, 0x1100, 0x1161, 0x6F22, 0xDF};
    std::mt19937 random(99);
    for (int n = 0; n < 3000; ++n) {
        QString text;
        const int length = int(random() % 12);
        for (int i = 0; i < length; ++i)
            text += scalarText(alphabet[random() % std::size(alphabet)]);

        QString expected;
        for (const QString &line : text.split(u'\n')) {
            QStringList pieces;
            QString piece;
            QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, line);
            qsizetype start = 0;
            for (qsizetype end = finder.toNextBoundary(); end > 0; start = end, end = finder.toNextBoundary()) {
                qsizetype unused = 0;
                if (UnicodeText::isWhiteSpace(UnicodeText::scalarAt(line, start, &unused))) {
                    if (!piece.isEmpty())
                        pieces.append(piece);
                    piece.clear();
                } else {
                    piece += QStringView(line).sliced(start, end - start);
                }
            }
            if (!piece.isEmpty())
                pieces.append(piece);
            if (!expected.isNull())
                expected += u'\n';
            expected += pieces.join(u' ');
            if (expected.isNull())
                expected = QLatin1String("");
        }
        ASSERT_EQ(BrimTextOperation(BrimTextOperation::collapseSpaces).apply(text), expected)
            << text.toUtf8().toPercentEncoding().toStdString();
    }
}

// Text from the clipboard can hold unpaired surrogates; they pass through.
TEST(UnicodeText, UnpairedSurrogatesPassThrough)
{
    const QString lone = QString(QChar(0xDC00)) + QStringLiteral("ab ") + QChar(0xD800);
    EXPECT_EQ(UnicodeText::upper(lone), QString(QChar(0xDC00)) + QStringLiteral("AB ") + QChar(0xD800));
    EXPECT_EQ(UnicodeText::lower(lone.toUpper()), lone);
    EXPECT_EQ(UnicodeText::title(lone), QString(QChar(0xDC00)) + QStringLiteral("ab ") + QChar(0xD800));
    EXPECT_EQ(BrimTextOperation(BrimTextOperation::collapseSpaces).apply(lone + QStringLiteral("  x")),
              QString(QChar(0xDC00)) + QStringLiteral("ab ") + QChar(0xD800) + QStringLiteral(" x"));
}

#include "core/BrimTextOperation.h"

#include <gtest/gtest.h>

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

std::string show(const QString &text)
{
    return text.toUtf8().toPercentEncoding(" ").toStdString();
}

} // namespace

TEST(BrimTextOperation, Catalogue)
{
    struct Row { const char *raw, *title; };
    const Row rows[] = {
        {"plain", "Plain text"}, {"uppercase", "UPPERCASE"}, {"lowercase", "lowercase"},
        {"titleCase", "Title Case"}, {"trimLines", "Trim line edges"}, {"collapseSpaces", "Collapse spaces"},
    };
    const auto all = BrimTextOperation::allCases();
    ASSERT_EQ(all.size(), std::size(rows));
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].rawValue(), QLatin1String(rows[i].raw));
        EXPECT_EQ(all[i].id(), QLatin1String(rows[i].raw));
        EXPECT_EQ(all[i].title(), QLatin1String(rows[i].title));
        EXPECT_EQ(BrimTextOperation::fromRawValue(all[i].rawValue()), all[i]);
        EXPECT_EQ(all[i].apply(QString()), QString());
    }
    EXPECT_FALSE(BrimTextOperation::fromRawValue(u"TitleCase"));
    EXPECT_FALSE(BrimTextOperation::fromRawValue(u"title case"));
}

TEST(BrimTextOperation, Transformations)
{
    using Op = BrimTextOperation;
    struct Row { Op op; QString in, out; };
    const Row rows[] = {
        {Op::plain, u8("  a\r\nB  "), u8("  a\r\nB  ")},
        {Op::uppercase, u8("straße"), u8("STRASSE")},
        {Op::uppercase, u8("ﬁx ŉ ǰ ᾳ\r\n"), u8("FIX ʼN J̌ ΑΙ\r\n")},
        {Op::uppercase, u8("𐐨 i"), u8("𐐀 I")},                         // supplementary letters; no Turkish dotted I
        {Op::lowercase, u8("İSTANBUL"), u8("i̇stanbul")},                 // full mapping: i + combining dot
        {Op::lowercase, u8("ΟΔΟΣ ΣΑΣ Σ ΑΣ. ΑΣ'Α"), u8("οδος σας σ ας. ασ'α")},   // final sigma by context
        {Op::lowercase, u8("ÀÉÎ\tĲ"), u8("àéî\tĳ")},
        {Op::titleCase, u8("hELLO wORLD"), u8("Hello World")},
        {Op::titleCase, u8("ßtraße ǆungla ﬁsh"), u8("Sstraße ǅungla Fish")},
        {Op::titleCase, u8("ΟΔΟΣ\u00A0ÉCOLE\u3000ǳ"), u8("Οδος\u00A0École\u3000ǲ")},
        {Op::titleCase, u8("a\r\nb\u2028c\u000Bd"), u8("A\r\nB\u2028C\u000BD")},
        {Op::titleCase, u8("don't stop-me"), u8("Don't Stop-me")},
        // A space followed by a combining mark is one whitespace character,
        // so the word after it starts at "b".
        {Op::titleCase, u8("a \u0301bc"), u8("A \u0301Bc")},
        {Op::titleCase, u8("e\u0301COLE"), u8("e\u0301cole").replace(0, 1, u'E')},
        {Op::trimLines, u8("  a  \r\n\tb\t\r c "), u8("a\nb\nc")},
        {Op::trimLines, u8("\u00A0a b\u2003\n\n\u3000"), u8("a b\n\n")},
        {Op::trimLines, u8("\u000Ba\u000C"), u8("\u000Ba\u000C")},
        {Op::trimLines, u8("\n"), u8("\n")},
        {Op::trimLines, u8("a\r\r\nb"), u8("a\n\nb")},
        {Op::collapseSpaces, u8("a \t b\n\n  c  d  "), u8("a b\n\nc d")},
        {Op::collapseSpaces, u8("a\u00A0\u00A0b\u000Bc\u000Cd\u0085e\u2028f\u3000g"), u8("a b c d e f g")},
        {Op::collapseSpaces, u8("  \r\n\t\r"), u8("\n\n")},
        {Op::collapseSpaces, u8("x \u0301y"), u8("x y")},
        {Op::collapseSpaces, u8("漢字  🙂\t😀"), u8("漢字 🙂 😀")},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.op.apply(row.in), row.out) << row.op.rawValue().toStdString() << ": " << show(row.in);
}

TEST(BrimTextOperation, LineOperationsKeepEveryLine)
{
    const QString text = u8("a\r\n\r\n b \rc\n\n\u00A0\n");
    for (BrimTextOperation op : {BrimTextOperation::trimLines, BrimTextOperation::collapseSpaces}) {
        const QString out = op.apply(text);
        EXPECT_EQ(out.count(u'\n'), 6) << op.rawValue().toStdString();
        EXPECT_FALSE(out.contains(u'\r'));
        EXPECT_EQ(op.apply(out), out) << "applying twice changes nothing";
    }
}

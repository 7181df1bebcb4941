#include "core/BrimTextOperation.h"
#include "tests/core/RawValueChecks.h"

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
    using Op = BrimTextOperation;
    expectExactRawValues<Op>({"plain", "uppercase", "lowercase", "titleCase", "trimLines", "collapseSpaces"});
    EXPECT_EQ(eachCase<Op>(&Op::title),
              QStringList({"Plain text", "UPPERCASE", "lowercase", "Title Case", "Trim line edges", "Collapse spaces"}));
    for (Op op : Op::allCases())
        EXPECT_EQ(op.apply(QString()), QString());
}

TEST(BrimTextOperation, Transformations)
{
    using Op = BrimTextOperation;
    struct Row { Op op; QString in, out; };
    // Single-character case mappings are checked against Qt over every scalar
    // (UnicodeTextTests); these rows are the dispatch and what needs context.
    const Row rows[] = {
        {Op::plain, u8("  a\r\nB  "), u8("  a\r\nB  ")}, {Op::uppercase, u8("straße"), u8("STRASSE")},
        {Op::lowercase, u8("ΟΔΟΣ ΣΑΣ Σ ΑΣ. ΑΣ'Α"), u8("οδος σας σ ας. ασ'α")},   // final sigma by context
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

#include "models/BrimTextModel.h"
#include "tests/support/FakeClipboard.h"

#include <gtest/gtest.h>

namespace {

// Man, woman, girl, boy joined by zero-width joiners: 11 code units, one character.
const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");

struct TextModelFixture : ::testing::Test {
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    BrimTextModel model{clipboard};
};

} // namespace

TEST_F(TextModelFixture, LimitCountsUserPerceivedCharacters)
{
    struct Row { QString input; bool over; };
    const QString a199999(199'999, u'a');
    const Row rows[] = {
        {a199999 + family, false}, {a199999 + 'a', false}, {a199999 + family + family, true}, {a199999 + "aa", true},
        // Combining marks stay with their letter: 200,000 characters in 400,000 units.
        {QString("e\u0301").repeated(200'000), false},
        {QString("e\u0301").repeated(200'001), true},
    };
    for (const Row &row : rows) {
        model.setOperation(BrimTextOperation::uppercase);
        model.setInput(row.input);
        EXPECT_EQ(model.isOverLimit(), row.over) << row.input.size();
        EXPECT_EQ(model.output().isEmpty(), row.over) << row.input.size();
        EXPECT_EQ(model.canCopy(), !row.over);
        if (!row.over) {
            EXPECT_EQ(model.output().size(), row.input.size());
        }
    }
}

TEST_F(TextModelFixture, PasteKeepsTheInputWhenTheClipboardIsOverTheLimit)
{
    model.setInput("kept");
    clipboard->plain = QString(200'000, u'x') + family;
    model.paste();
    EXPECT_EQ(model.input(), "kept");
    EXPECT_EQ(model.error(), BrimTextModel::limitMessage());
    model.setInput("kept!");
    EXPECT_FALSE(model.error());

    // Paste over the limit, then one that fits: the error goes with the new text.
    model.paste();
    clipboard->plain = "  fits  ";
    model.paste();
    EXPECT_EQ(model.input(), "  fits  ");
    EXPECT_FALSE(model.error());

    clipboard->plain.reset();
    clipboard->image = QByteArray("png");
    model.paste();
    EXPECT_EQ(model.input(), "");
    EXPECT_FALSE(model.error());
}

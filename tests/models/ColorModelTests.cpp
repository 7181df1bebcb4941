#include "models/BrimColorModel.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Outcome = BrimSampledColor::Outcome;

// Holds each pick until the test answers it, oldest first.
struct HeldSampler final : BrimColorSampler {
    void pick(Done done) override { pending.push_back(std::move(done)); }
    void answer(const BrimSampledColor &sample) { pending.takeFirst()(sample); }
    QList<Done> pending;
};

struct ColorModelFixture : ::testing::Test {
    std::shared_ptr<HeldSampler> sampler = std::make_shared<HeldSampler>();
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    BrimColorModel model{{sampler, defaults, nullptr}};

    BrimSampledColor picked(double r, double g, double b) { return {Outcome::picked, std::array{r, g, b}}; }
    QString stored() const { return defaults->stringValue(BrimColorModel::savedColorsKey).value_or("<absent>"); }
};

QString distinctColors(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << BrimRGB{std::uint8_t(i), 0, 0}.hex();
    return list.join(',');
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

} // namespace

TEST_F(ColorModelFixture, SamplesAreClampedRoundedHalfAwayFromZeroOrRefused)
{
    const QString unconvertible = BrimColorModel::conversionFailedMessage();
    struct Row { BrimSampledColor sample; const char *hex; std::optional<QString> error; };
    const Row rows[] = {
        {picked(1, 1, 1), "#FFFFFF", {}}, {picked(0.5, 0.498, 0), "#807F00", {}},
        {picked(1.02, -0.01, 0.2), "#FF0033", {}}, {picked(0.501960784, 0.00196, 0.0020), "#800001", {}},
        {picked(notANumber, 0, 0), "#123456", unconvertible}, {picked(0, inf, 0), "#123456", unconvertible},
        {picked(0, 0, -inf), "#123456", unconvertible},
        {{Outcome::picked, std::nullopt}, "#123456", unconvertible},
        {{Outcome::cancelled, std::nullopt}, "#123456", unconvertible}, // the earlier message stays
        {{Outcome::unavailable, std::nullopt}, "#123456", BrimColorModel::unavailableMessage()},
    };
    for (const Row &row : rows) {
        model.setHex("#123456");
        model.sample();
        sampler->answer(row.sample);
        EXPECT_EQ(model.hex(), row.hex);
        EXPECT_EQ(model.error(), row.error) << row.hex;
        EXPECT_FALSE(model.sampling());
    }
}

TEST_F(ColorModelFixture, OneSamplerAtATimeAndNoAnswerAfterTheModelIsGone)
{
    model.sample();
    model.sample();
    EXPECT_EQ(sampler->pending.size(), 1);
    EXPECT_TRUE(model.sampling());
    sampler->answer({Outcome::cancelled, std::nullopt});
    model.sample();
    EXPECT_EQ(sampler->pending.size(), 1);

    auto shortLived = std::make_unique<BrimColorModel>(BrimColorModel::Environment{sampler, defaults, nullptr});
    shortLived->sample();
    shortLived.reset();
    sampler->answer(picked(1, 1, 1)); // first pick, then the gone model's
    sampler->answer(picked(0, 0, 0));
    EXPECT_EQ(model.hex(), "#FFFFFF");
}

TEST_F(ColorModelFixture, ReadsTheSavedList)
{
    struct Row { QString stored; QStringList favorites; };
    const Row rows[] = {
        {" #abc,FFFFFF,#aabbcc,zzz,,#FFFFFF", {"#AABBCC", "#FFFFFF"}},
        {"", {}}, {",,#12, 0f0 ,#00FF00", {"#00FF00"}}, {distinctColors(25), distinctColors(20).split(',')},
    };
    for (const Row &row : rows)
        EXPECT_EQ(BrimColorModel::favoritesFromText(row.stored), row.favorites) << row.stored.toStdString();
}

TEST_F(ColorModelFixture, TogglesTheCurrentColor)
{
    struct Row { QString stored, hex; bool canToggle; QString after; };
    const Row rows[] = {
        {"", "abc", true, "#AABBCC"}, {"#AABBCC", " #aabbcc ", true, ""},
        {"#aabbcc,zzz,#AABBCC,fff", "aabbcc", true, "#FFFFFF"}, {"#FFFFFF", "#000", true, "#FFFFFF,#000000"},
        {distinctColors(20), "#ABCDEF", false, distinctColors(20)},
        {distinctColors(25), "#0A0000", true, distinctColors(20).remove(",#0A0000")},
        {distinctColors(25), "#ABCDEF", false, distinctColors(20)},
        {"#AABBCC", "abcd", false, "#AABBCC"},
    };
    for (const Row &row : rows) {
        defaults->setString(BrimColorModel::savedColorsKey, row.stored);
        model.setHex(row.hex);
        EXPECT_EQ(model.canToggleFavorite(), row.canToggle) << row.hex.toStdString();
        model.toggleFavorite();
        EXPECT_EQ(stored(), row.after) << row.hex.toStdString();
    }
}

#include "core/BrimTool.h"
#include "core/BrimToolPreferences.h"
#include "core/UserDefaults.h"
#include "tests/core/RawValueChecks.h"

#include <gtest/gtest.h>

namespace {

using Tools = QList<BrimTool>;
using P = BrimToolPreferences;

const Tools allTools = {BrimTool::awake, BrimTool::timer, BrimTool::alarms, BrimTool::links,
                        BrimTool::apps, BrimTool::colors, BrimTool::text, BrimTool::qr};

} // namespace

TEST(BrimTool, Catalogue)
{
    expectExactRawValues<BrimTool>({"awake", "timer", "alarms", "links", "apps", "colors", "text", "qr"});
    EXPECT_EQ(eachCase<BrimTool>(&BrimTool::title),
              QStringList({"Keep Awake", "Timer", "Alarms", "Clean Links", "Ostrel Apps", "Colors", "Text", "QR Code"}));
    EXPECT_EQ(eachCase<BrimTool>(&BrimTool::symbol),
              QStringList({"cup.and.saucer", "timer", "alarm", "link", "app.badge", "eyedropper", "textformat", "qrcode"}));
}

TEST(BrimToolPreferences, EnabledParsing)
{
    struct Row { QString raw; Tools expected; };
    const Row rows[] = {
        {"", allTools}, {"none", {}}, {" ", {}}, {"bogus", {}}, {"qr,awake,qr", {BrimTool::qr, BrimTool::awake}},
        {" timer ,awake,Timer,,timer,qr", {BrimTool::timer, BrimTool::awake, BrimTool::qr}},
        {",\ttext\u00A0,\u3000apps,", {BrimTool::text, BrimTool::apps}},
        // Line breaks are not trimmed, so such a piece names no tool.
        {"timer\n,awake", {BrimTool::awake}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(P::enabled(row.raw), row.expected) << row.raw.toStdString();
}

TEST(BrimToolPreferences, FavoritesAndOrder)
{
    EXPECT_EQ(P::favorites(u"awake,timer", {BrimTool::timer, BrimTool::qr}), Tools{BrimTool::timer});
    EXPECT_EQ(P::favorites(u"", allTools), Tools{});
    EXPECT_EQ(P::ordered(u"text,awake,timer", u"timer,qr"), (Tools{BrimTool::timer, BrimTool::text, BrimTool::awake}));
    EXPECT_EQ(P::ordered(u"", u"qr,awake"),
              (Tools{BrimTool::qr, BrimTool::awake, BrimTool::timer, BrimTool::alarms, BrimTool::links,
                     BrimTool::apps, BrimTool::colors, BrimTool::text}));
    EXPECT_EQ(P::ordered(u"none", u"awake"), Tools{});
}

TEST(BrimToolPreferences, EnableAndDisable)
{
    struct Row { const char *before; BrimTool tool; bool enable; const char *after; };
    const Row rows[] = {
        {"timer", BrimTool::timer, false, "none"}, {"none", BrimTool::qr, true, "qr"},
        {" awake , bogus,awake", BrimTool::qr, true, "awake,qr"},
        {"awake,timer", BrimTool::awake, true, "awake,timer"},
        {"", BrimTool::links, false, "awake,timer,alarms,apps,colors,text,qr"},
        {"qr,text", BrimTool::awake, false, "qr,text"},
    };
    for (const Row &row : rows) {
        const QString stored = row.enable ? P::enabling(row.tool, QString::fromLatin1(row.before))
                                          : P::disabling(row.tool, QString::fromLatin1(row.before));
        EXPECT_EQ(stored, QLatin1String(row.after)) << row.before;
    }
}

TEST(BrimToolPreferences, ToggleFavoriteKeepsUnknownPieces)
{
    struct Row { const char *before; BrimTool tool; const char *after; };
    const Row rows[] = {
        {"awake,timer", BrimTool::timer, "awake"}, {"awake", BrimTool::awake, ""}, {"", BrimTool::qr, "qr"},
        {"x, y,,timer,timer", BrimTool::timer, "x, y"}, {"x, y,,", BrimTool::timer, "x, y,timer"},
        // An untrimmed piece is not the tool, so it stays and the tool is added.
        {" timer", BrimTool::timer, " timer,timer"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(P::togglingFavorite(row.tool, QString::fromLatin1(row.before)), QLatin1String(row.after)) << row.before;
}

TEST(BrimToolPreferences, Migration)
{
    using M = P::Migration;
    struct Row { std::optional<QString> enabled; std::optional<qint64> version; M expected; };
    const Row rows[] = {
        {QString("awake,timer"), 1, {QString("awake,timer,colors,text,qr,alarms"), 3}},
        {QString("awake"), 2, {QString("awake,alarms"), 3}}, {QString("awake"), 3, {std::nullopt, std::nullopt}},
        {QString("awake"), 7, {std::nullopt, std::nullopt}}, {QString("none"), 1, {std::nullopt, 3}},
        {QString("none"), 2, {std::nullopt, 3}}, {QString("alarms,qr"), 2, {std::nullopt, 3}},
        {std::nullopt, std::nullopt, {QString("awake,timer,alarms,links,apps,colors,text,qr"), 3}},
        {QString(""), 0, {QString("awake,timer,alarms,links,apps,colors,text,qr"), 3}},
    };
    for (const Row &row : rows) {
        const M result = P::migration(row.enabled, row.version);
        EXPECT_EQ(result.enabled, row.expected.enabled) << row.enabled.value_or("<absent>").toStdString();
        EXPECT_EQ(result.toolsVersion, row.expected.toolsVersion) << row.enabled.value_or("<absent>").toStdString();
    }
}

TEST(BrimToolPreferences, FirstStartWritesDefaultsThroughUserDefaults)
{
    MemoryUserDefaults defaults;
    P::migrate(defaults);
    EXPECT_EQ(defaults.stringValue(QString(P::enabledKey)), QString(P::defaultEnabled));
    EXPECT_EQ(defaults.integerValue(QString(P::toolsVersionKey)), 3);
    EXPECT_FALSE(defaults.stringValue(QString(P::favoritesKey)));
    EXPECT_EQ(P::favoritesText(defaults), QLatin1String("awake,timer"));

    // A second run changes nothing.
    defaults.setString(QString(P::enabledKey), QStringLiteral("qr"));
    P::migrate(defaults);
    EXPECT_EQ(P::enabledText(defaults), QLatin1String("qr"));
}

#include "services/AppTheme.h"

#include <gtest/gtest.h>

TEST(AppTheme, ResolvesProductsFromIdentifiers)
{
    using P = AppTheme::Product;
    const struct {
        std::optional<QString> identifier;
        P expected;
    } cases[] = {
        {QStringLiteral("app.ostrel.brimkit"), P::brimkit},
        {QStringLiteral("app.ostrel.brimkit.helper"), P::lumen}, // exact match only for this app
        {QStringLiteral("app.ostrel.quill"), P::quill},
        {QStringLiteral("app.ostrel.quill.share-extension"), P::quill},
        {QStringLiteral("app.ostrel.quillx"), P::lumen},
        {QStringLiteral("org.example.other"), P::lumen},
        {QStringLiteral(""), P::lumen},
        {std::nullopt, P::lumen},
    };
    for (const auto &c : cases)
        EXPECT_EQ(P::resolve(c.identifier), c.expected) << c.identifier.value_or(QStringLiteral("<none>")).toStdString();
    EXPECT_EQ(AppTheme::product(), P::brimkit);
    EXPECT_EQ(P::fromRawValue(u"brimkit"), P::brimkit);
    EXPECT_FALSE(P::fromRawValue(u"Brimkit"));
    EXPECT_EQ(P::allCases().back(), P::brimkit);
}

TEST(AppTheme, ColoursFollowTheWindowsLightness)
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2a, 0x2a, 0x2e));
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    ASSERT_TRUE(AppTheme::isDark(dark));
    ASSERT_FALSE(AppTheme::isDark(light));

    EXPECT_EQ(AppTheme::accent(dark).rgb(), QColor(0xEA, 0xC8, 0x6B).rgb());
    EXPECT_EQ(AppTheme::accent(light).rgb(), QColor(0x78, 0x58, 0x0D).rgb());
    EXPECT_EQ(AppTheme::controlAccent(dark).rgb(), QColor(0x88, 0x68, 0x1B).rgb());
    EXPECT_EQ(AppTheme::controlAccent(light).rgb(), QColor(0x78, 0x58, 0x0D).rgb());

    const struct {
        QColor actual;
        float red, green, blue;
    } components[] = {
        {AppTheme::canvas(dark), 0.12f, 0.115f, 0.11f},
        {AppTheme::canvas(light), 0.985f, 0.978f, 0.96f},
        {AppTheme::warning(dark), 1.0f, 0.65f, 0.3f},
        {AppTheme::warning(light), 0.58f, 0.28f, 0.04f},
    };
    for (const auto &c : components) {
        EXPECT_NEAR(c.actual.redF(), c.red, 1e-4);
        EXPECT_NEAR(c.actual.greenF(), c.green, 1e-4);
        EXPECT_NEAR(c.actual.blueF(), c.blue, 1e-4);
    }
}

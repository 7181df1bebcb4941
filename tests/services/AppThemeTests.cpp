#include "services/AppTheme.h"

#include <gtest/gtest.h>

TEST(AppTheme, ResolvesProductsFromIdentifiers)
{
    using P = AppTheme::Product;
    struct Case { std::optional<QString> identifier; P expected; };
    const Case cases[] = {
        {QStringLiteral("app.ostrel.brimkit"), P::brimkit},
        {QStringLiteral("app.ostrel.brimkit.helper"), P::lumen}, // exact match only for this app
        {QStringLiteral("app.ostrel.quill"), P::quill},
        {QStringLiteral("app.ostrel.quill.share-extension"), P::quill},
        {QStringLiteral("app.ostrel.quillx"), P::lumen},
        {QStringLiteral("org.example.other"), P::lumen},
        {QStringLiteral(""), P::lumen},
        {std::nullopt, P::lumen},
    };
    for (const Case &c : cases)
        EXPECT_EQ(P::resolve(c.identifier), c.expected) << c.identifier.value_or(QStringLiteral("<none>")).toStdString();
    EXPECT_EQ(AppTheme::product(), P::brimkit);
    EXPECT_EQ(P::fromRawValue(u"brimkit"), P::brimkit);
    EXPECT_FALSE(P::fromRawValue(u"Brimkit"));
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
    // Background and warning: each variant stands out against its window.
    EXPECT_LT(AppTheme::canvas(dark).lightnessF(), 0.2);
    EXPECT_GT(AppTheme::canvas(light).lightnessF(), 0.9);
    EXPECT_GT(AppTheme::warning(dark).lightnessF(), AppTheme::warning(light).lightnessF());
}

#include "telemetry/AppSignalContext.h"
#include "telemetry/OstrelEvent.h"
#include "telemetry/TellixConfiguration.h"

#include "BuildInfo.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(AppSignalContext, MemoryClassBucketsWholeGibibytesRoundedDown)
{
    constexpr quint64 gib = 1ULL << 30;
    struct Case { quint64 bytes; const char *expected; };
    const Case cases[] = {
        {0, "up_to_8GB"}, {8 * gib, "up_to_8GB"}, {9 * gib - 1, "up_to_8GB"}, // 8.99 GiB still rounds down to 8
        {9 * gib, "up_to_16GB"}, {16 * gib, "up_to_16GB"}, {17 * gib, "up_to_32GB"},
        {32 * gib, "up_to_32GB"}, {33 * gib, "over_32GB"}, {64 * gib, "over_32GB"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AppSignalContext::memoryClassFor(c.bytes), QLatin1String(c.expected)) << c.bytes;
}

TEST(AppSignalContext, KernelReleaseBecomesThreeNumericParts)
{
    struct Case { const char *release, *expected; };
    const Case cases[] = {{"6.1.0-18-amd64", "6.1.0"}, {"6.5.13", "6.5.13"}, {"5.15", "5.15.0"}, {"6.8-rc1", "6.8.0"},
                          {"6.1.55+rpt-rpi-v8", "6.1.55"}, {"4.19.0.1", "4.19.0"}, {"6", "6.0.0"}, {"", "0.0.0"},
                          {"garbage", "0.0.0"}, {"99999999999999999999999.1.1", "0.1.1"}}; // overflow leaks no garbage
    for (const Case &c : cases)
        EXPECT_EQ(AppSignalContext::osVersionFromKernelRelease(QString::fromLatin1(c.release)), QLatin1String(c.expected))
            << c.release;
}

TEST(AppSignalContext, ReleaseAndAppFallBackPerMissingValue)
{
    AppBundle bundle;
    EXPECT_EQ(AppSignalContext::releaseFrom(bundle), QStringLiteral("0+0"));
    EXPECT_EQ(AppSignalContext::appFrom(bundle), QStringLiteral("ostrel"));
    bundle.buildNumber = QStringLiteral("12");
    EXPECT_EQ(AppSignalContext::releaseFrom(bundle), QStringLiteral("0+12"));
    bundle.shortVersion = QStringLiteral("1.4.0");
    bundle.identifier = QStringLiteral("app.ostrel.brimkit");
    EXPECT_EQ(AppSignalContext::releaseFrom(bundle), QStringLiteral("1.4.0+12"));
    EXPECT_EQ(AppSignalContext::appFrom(bundle), QStringLiteral("app.ostrel.brimkit"));
}

TEST(AppSignalContext, LiveContextDescribesThisMachineAndBuild)
{
    const AppSignalContext context = AppSignalContext::live(AppBundle::main());
    EXPECT_EQ(context.app(), QStringLiteral("app.ostrel.brimkit"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(context.os()).hasMatch()) << context.os().toStdString();
    const QMap<QString, QString> metadata = context.metadata();
    EXPECT_EQ(metadata.keys(), (QStringList{"architecture", "memory_class", "os"}));
    EXPECT_EQ(metadata.value("architecture"), QLatin1String(BuildInfo::architecture));
    EXPECT_EQ(metadata.value("memory_class"), context.memoryClass());
}

TEST(TellixConfiguration, AcceptsOnlyPlainHttpsEndpointsAndSingleLineKeys)
{
    struct Case { const char *endpoint, *key; bool valid; };
    const Case cases[] = {
        {"https://tellix.example/ingest", "k", true}, {"https://tellix.example", "k", true},
        {"https://tellix.example:8443/a/b/", "k", true}, {"http://tellix.example", "k", false},
        {"HTTPS://tellix.example", "k", false}, {"ftp://tellix.example", "k", false},
        {"https:///path-only", "k", false}, {"https://user@tellix.example", "k", false},
        {"https://user:pw@tellix.example", "k", false}, {"https://@tellix.example", "k", false},
        {"https://tellix.example/?q=1", "k", false}, {"https://tellix.example/?", "k", false},
        {"https://tellix.example/#top", "k", false}, {"https://tellix.example", "", false},
        {"https://tellix.example", "ab\ncd", false}, {"", "", false}, {"not a url", "k", false},
    };
    for (const Case &c : cases) {
        const auto configuration = TellixConfiguration::make(QString::fromUtf8(c.endpoint), QString::fromUtf8(c.key));
        EXPECT_EQ(configuration.has_value(), c.valid) << c.endpoint << " / " << c.key;
    }
    const auto kept = TellixConfiguration::make(QStringLiteral("https://tellix.example/ingest"), QStringLiteral(" key "));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->key(), QStringLiteral(" key ")); // no trimming
}

TEST(TellixConfiguration, RequestPathsJoinWithExactlyOneSlash)
{
    struct Case { const char *endpoint, *expected; };
    const Case cases[] = {
        {"https://h.example", "https://h.example/v1/events"}, {"https://h.example/", "https://h.example/v1/events"},
        {"https://h.example/api/", "https://h.example/api/v1/events"}, {"https://h.example/a/b//", "https://h.example/a/b/v1/events"},
        {"https://h.example:9/x%20y", "https://h.example:9/x%20y/v1/events"},
    };
    for (const Case &c : cases) {
        const auto configuration = TellixConfiguration::make(QString::fromUtf8(c.endpoint), QStringLiteral("k"));
        ASSERT_TRUE(configuration) << c.endpoint;
        EXPECT_EQ(configuration->url(QStringLiteral("v1/events")).toString(QUrl::FullyEncoded), QLatin1String(c.expected));
    }
}

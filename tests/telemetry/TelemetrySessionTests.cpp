#include "telemetry/TelemetryPreferences.h"
#include "telemetry/TelemetrySession.h"

#include <gtest/gtest.h>

namespace {
const QString app = QStringLiteral("app.ostrel.brimkit");
const QString marker = QStringLiteral("ostrel.session.active.v1.app.ostrel.brimkit");
const QString pending = QStringLiteral("ostrel.update.pending.v1.app.ostrel.brimkit");
} // namespace

TEST(TelemetryPreferences, LoadsStoredChoicesPerKey)
{
    struct Case { std::optional<QJsonValue> usage, city; bool expectedUsage, expectedCity, expectedEffectiveCity; };
    const Case cases[] = {
        {std::nullopt, std::nullopt, true, true, true}, {QJsonValue(false), std::nullopt, false, true, false},
        {std::nullopt, QJsonValue(false), true, false, false},
        {QJsonValue(QStringLiteral("yes")), std::nullopt, false, true, false}, // wrong type is off, not default
        {QJsonValue(1), QJsonValue(true), false, true, false},
        {QJsonValue(true), QJsonValue(true), true, true, true},
    };
    for (const Case &c : cases) {
        MemoryUserDefaults store;
        if (c.usage)
            store.set(TelemetryPreferences::usageKey(), *c.usage);
        if (c.city)
            store.set(TelemetryPreferences::cityKey(), *c.city);
        const TelemetryPreferences loaded = TelemetryPreferences::load(store);
        EXPECT_EQ(loaded.usage, c.expectedUsage);
        EXPECT_EQ(loaded.city, c.expectedCity);
        EXPECT_EQ(loaded.effectiveCity(), c.expectedEffectiveCity);
    }
}

TEST(TelemetrySession, MarkerAndRecordLiveOnlyWhileStartedAndEnabled)
{
    auto store = std::make_shared<MemoryUserDefaults>();
    TelemetrySession early(store, app);
    early.setEnabled(true);
    EXPECT_FALSE(store->object(marker)) << "written before start";

    store->setBool(marker, true);
    store->setString(pending, QStringLiteral("7"));
    TelemetrySession session(store, app);
    EXPECT_FALSE(session.start(false)); // starting disabled forgets the last run
    EXPECT_FALSE(store->object(marker));
    EXPECT_FALSE(store->object(pending));
    session.recordUpdateInstallation(QStringLiteral("5"));
    EXPECT_FALSE(store->object(pending));
    session.setEnabled(true);
    EXPECT_EQ(store->boolValue(marker), true);
    session.recordUpdateInstallation(QStringLiteral("3"));
    session.setEnabled(false);
    EXPECT_FALSE(store->object(marker));
    EXPECT_FALSE(store->object(pending));
}

TEST(TelemetrySession, RecordsOnlyPlainVersionNumbers)
{
    const QString digits64(64, QLatin1Char('9'));
    struct Case { QString version; bool stored; };
    const Case cases[] = {
        {"2.10.3", true}, {"27", true}, {digits64, true}, {digits64 + QLatin1Char('9'), false},
        {"1.2-beta", false}, {"v1.2", false}, {"1..2", false}, {"1.2.", false}, {"", false}, {"1.2\n", false},
        {QString::fromUtf8("١٢"), false}, // non-ASCII digits
    };
    for (const Case &c : cases) {
        auto store = std::make_shared<MemoryUserDefaults>();
        TelemetrySession session(store, app);
        session.start(true);
        session.recordUpdateInstallation(c.version);
        EXPECT_EQ(store->stringValue(pending).has_value(), c.stored) << c.version.toStdString();
    }
}

TEST(TelemetrySession, ConsumingAlwaysRemovesTheRecord)
{
    auto store = std::make_shared<MemoryUserDefaults>();
    TelemetrySession session(store, app);
    session.start(true);
    session.recordUpdateInstallation(QStringLiteral("2.10.3"));
    EXPECT_TRUE(session.consumeUpdateInstallation(QStringLiteral("2.10.3")));
    EXPECT_FALSE(session.consumeUpdateInstallation(QStringLiteral("2.10.3")));

    session.recordUpdateInstallation(QStringLiteral("2.10.4"));
    EXPECT_FALSE(session.consumeUpdateInstallation(QStringLiteral("2.10.3")));
    EXPECT_FALSE(store->object(pending));

    store->setInteger(pending, 5); // wrong type
    EXPECT_FALSE(session.consumeUpdateInstallation(QStringLiteral("5")));
    EXPECT_FALSE(store->object(pending));

    session.recordUpdateInstallation(QStringLiteral("8"));
    session.clearUpdateInstallation();
    EXPECT_FALSE(store->object(pending));
}

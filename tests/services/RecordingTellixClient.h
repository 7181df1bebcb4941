#pragma once
// A telemetry client that records what the facade asks of it, and the facade
// built around it. Consent state is kept by the real client; events count as
// recorded when the real client would have queued them (consent and an
// identifier present).

#include "core/UserDefaults.h"
#include "services/OstrelSignals.h"
#include "telemetry/TellixClient.h"
#include "tests/support/Patience.h"

#include <QCoro/QCoroTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <chrono>
#include <vector>

class RecordingTellixClient : public TellixClient {
public:
    struct Consent { bool consent; std::optional<QString> installation; bool location; };
    struct Report { QString message; bool bug; };

    RecordingTellixClient()
        : TellixClient(std::nullopt, AppSignalContext(QStringLiteral("app.ostrel.brimkit"), QStringLiteral("1+1"), QStringLiteral("6.1.0"),
                                                      QStringLiteral("x86_64"), QStringLiteral("up_to_8GB")))
    {
    }

    void setConsent(bool consent, std::optional<QString> installationID, bool location) override
    {
        consents.push_back({consent, installationID, location});
        TellixClient::setConsent(consent, std::move(installationID), location);
    }

    using TellixClient::event;
    void event(OstrelEvent event) override
    {
        if (this->consent() && installation())
            events.push_back(event);
    }

    QCoro::Task<bool> feedback(QString message, bool bug) override
    {
        reports.push_back({message, bug});
        if (replyDelay.count() > 0)
            co_await QCoro::sleepFor(replyDelay);
        co_return feedbackAccepted;
    }

    std::vector<Consent> consents;
    std::vector<OstrelEvent> events;
    std::vector<Report> reports;
    bool feedbackAccepted = true;
    std::chrono::milliseconds replyDelay{0};
};

// Release 1.4.0+27; without an endpoint and key telemetry is "not configured".
inline AppBundle testBundle(bool configured = true)
{
    const auto tellix = [configured](const char *v) { return configured ? std::optional(QString::fromLatin1(v)) : std::nullopt; };
    return {QStringLiteral("app.ostrel.brimkit"), QStringLiteral("1.4.0"), QStringLiteral("27"), QStringLiteral("Ostrel Brimkit"),
            std::nullopt, tellix("https://tellix.example/ingest"), tellix("key"), std::nullopt, std::nullopt, std::nullopt};
}

struct SignalsHarness {
    explicit SignalsHarness(std::shared_ptr<UserDefaults> defaults = std::make_shared<MemoryUserDefaults>(),
                            bool configured = true)
        : store(std::move(defaults)), client(std::make_shared<RecordingTellixClient>()),
          facade(testBundle(configured), store, client)
    {
    }

    // Lets the operation chain run dry.
    void settle()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !facade.hasPendingOperations(); }, patienceMs));
        QCoreApplication::processEvents();
    }

    std::shared_ptr<UserDefaults> store;
    std::shared_ptr<RecordingTellixClient> client;
    OstrelSignals facade;
};

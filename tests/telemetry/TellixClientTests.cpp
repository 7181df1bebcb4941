#include "telemetry/TellixClient.h"

#include "LoopbackHttpsServer.h"
#include "tests/support/Patience.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QCoro/QCoroTask>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
AppSignalContext testContext()
{
    return AppSignalContext(QStringLiteral("app.ostrel.brimkit"), QStringLiteral("1.4.0+27"), QStringLiteral("6.1.0"),
                            QStringLiteral("x86_64"), QStringLiteral("up_to_16GB"));
}

QJsonObject json(const ReceivedRequest &request)
{
    return QJsonDocument::fromJson(request.body).object();
}

// Turns the event loop until `done` holds. Unlike QTest::qWaitFor it does not
// sleep between turns: a TLS exchange needs many turns.
template <class Predicate>
bool spinUntil(Predicate done, int timeoutMs = patienceMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

const QString installation = QStringLiteral("5B8A1C2E-0D4F-4B7A-9E61-3C2D1A0B9F87");
} // namespace

class TellixClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.listen()) << server.errorString().toStdString(); }

    std::unique_ptr<TellixClient> makeClient(TellixSessionOptions options = {}, bool trustServer = true)
    {
        if (trustServer)
            options.tls = server.clientConfiguration();
        auto configuration = TellixConfiguration::make(server.url(QStringLiteral("/ingest/")).toString(), QStringLiteral("secret-key"));
        return std::make_unique<TellixClient>(configuration, testContext(), options);
    }

    // The first request (or every one) gets no answer until closeStalled(); the others 204.
    std::unique_ptr<TellixClient> makeStalledClient(bool stallAll = false)
    {
        server.setResponder([stallAll](const ReceivedRequest &, int index) {
            return index == 0 || stallAll ? ServerAnswer{ServerAnswer::stall, 0} : ServerAnswer::withStatus(204);
        });
        TellixSessionOptions options;
        options.resourceTimeout = 60s;
        return makeClient(options);
    }

    bool waitForRequests(int count, int timeoutMs = patienceMs)
    {
        return spinUntil([&] { return server.requests().size() >= count; }, timeoutMs);
    }

    LoopbackHttpsServer server;
};

TEST_F(TellixClientTest, DeliversEventDocumentsInOrderWithExactMembersAndHeaders)
{
    auto client = makeClient();
    client->setConsent(true, installation, true);
    const OstrelEvent events[] = {OstrelEvent::appOpened, OstrelEvent::brimTimerStarted, OstrelEvent::updateFailed};
    for (OstrelEvent event : events)
        client->event(event);
    ASSERT_TRUE(waitForRequests(3));

    const QRegularExpression timestamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
    const QJsonObject metadata{{"os", "6.1.0"}, {"architecture", "x86_64"}, {"memory_class", "up_to_16GB"},
                               {"installation_id", installation}, {"location_opt_in", true}};
    for (int i = 0; i < 3; ++i) {
        const ReceivedRequest &request = server.requests().at(i);
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/ingest/v1/events");
        EXPECT_EQ(request.headers.value("authorization"), "Bearer secret-key");
        EXPECT_EQ(request.headers.value("content-type"), "application/json");
        EXPECT_FALSE(request.headers.contains("cookie"));
        EXPECT_EQ(QJsonDocument::fromJson(request.body).toJson(QJsonDocument::Compact), request.body) << "not compact";

        QJsonObject document = json(request);
        EXPECT_TRUE(timestamp.match(document.take("timestamp").toString()).hasMatch());
        EXPECT_EQ(document, (QJsonObject{{"name", events[i].rawValue()}, {"source", "app.ostrel.brimkit"},
                                         {"release", "1.4.0+27"}, {"properties", QJsonObject()}, {"metadata", metadata}}));
    }
    EXPECT_EQ(client->pendingCount(), 0);
    EXPECT_TRUE(spinUntil([&] { return !client->hasWorker(); }));
}

// Only a final 2xx status from a trusted server counts, and no answer makes
// the document go out twice.
TEST_F(TellixClientTest, DeliveredMeansAFinalSuccessStatus)
{
    struct Case { const char *name; ServerAnswer answer; bool delivered; bool trusted = true; };
    const Case cases[] = {
        {"200", ServerAnswer::withStatus(200), true}, {"204", ServerAnswer::withStatus(204), true},
        {"299", ServerAnswer::withStatus(299), true}, {"302", ServerAnswer::withStatus(302), false},
        {"400", ServerAnswer::withStatus(400), false}, {"500", ServerAnswer::withStatus(500), false},
        {"status then close", ServerAnswer::rawThenClose("HTTP/1.1 204 No Content\r\n\r\n"), true},
        {"informational first",
         ServerAnswer::rawThenClose("HTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\nHTTP/1.1 202 Accepted\r\n\r\n"), true},
        {"informational only", ServerAnswer::rawThenClose("HTTP/1.1 100 Continue\r\n\r\n"), false},
        {"cut-off status line", ServerAnswer::rawThenClose("HTTP/1.1 200"), false},
        {"not HTTP", ServerAnswer::rawThenClose("SSH-2.0-OpenSSH\r\n"), false},
        {"nothing", ServerAnswer::rawThenClose(""), false},
        {"untrusted certificate", ServerAnswer::withStatus(204), false, false},
    };
    qsizetype requests = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.setResponder([&](const ReceivedRequest &, int) { return c.answer; });
        auto client = makeClient({}, c.trusted);
        QSignalSpy sent(client.get(), &TellixClient::sent);
        client->setConsent(true, installation, false);
        client->event(OstrelEvent::appOpened);
        ASSERT_TRUE(spinUntil([&] { return sent.count() == 1; }));
        EXPECT_EQ(sent.at(0).at(0).toString(), QStringLiteral("v1/events"));
        EXPECT_EQ(sent.at(0).at(1).toBool(), c.delivered);
        QTest::qWait(20);
        requests += c.trusted ? 1 : 0;
        EXPECT_EQ(server.requests().size(), requests) << "the document was sent again, or to an untrusted server";
    }
}

TEST_F(TellixClientTest, AFailingRequestLosesOnlyItsOwnDocument)
{
    struct Case { const char *name; ServerAnswer::Kind kind; bool firstDelivered; std::chrono::milliseconds resourceTimeout; };
    const Case cases[] = {
        {"connection reset", ServerAnswer::reset, false, 15s},
        {"stalled past the timeout", ServerAnswer::stall, false, 300ms},
        // A 200 with an endless body is decided by its status; the body is cut
        // off long before the (generous) timeout would end it.
        {"huge body", ServerAnswer::hugeBody, true, 30s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int first = int(server.requests().size());
        server.setResponder([&](const ReceivedRequest &, int index) {
            return index == first ? ServerAnswer{c.kind, 200} : ServerAnswer::withStatus(204);
        });
        TellixSessionOptions options;
        options.resourceTimeout = c.resourceTimeout;
        auto client = makeClient(options);
        QSignalSpy sent(client.get(), &TellixClient::sent);
        client->setConsent(true, installation, false);
        for (OstrelEvent event : {OstrelEvent::brimAlarmCreated, OstrelEvent::brimAlarmCompleted, OstrelEvent::brimAlarmMissed})
            client->event(event);
        ASSERT_TRUE(spinUntil([&] { return sent.count() == 3; }, 20000));
        EXPECT_EQ(sent.at(0).at(1).toBool(), c.firstDelivered);
        EXPECT_TRUE(sent.at(1).at(1).toBool() && sent.at(2).at(1).toBool());
        ASSERT_EQ(server.requests().size(), first + 3);
        EXPECT_EQ(json(server.requests().at(first + 1)).value("name").toString(), QStringLiteral("brim.alarmcompleted"));
        EXPECT_EQ(json(server.requests().at(first + 2)).value("name").toString(), QStringLiteral("brim.alarmmissed"));
        EXPECT_LT(server.hugeBodyBytesSent(), 32 * 1024 * 1024);
    }
}

TEST_F(TellixClientTest, SendsOneAtATimeAndKeepsTheNewest64WhileBlocked)
{
    auto client = makeStalledClient();
    client->setConsent(true, installation, false);
    client->event(OstrelEvent::appOpened);
    ASSERT_TRUE(waitForRequests(1));

    const auto catalogue = OstrelEvent::allCases();
    for (int i = 0; i < 65; ++i)
        client->event(catalogue[i % catalogue.size()]);
    EXPECT_EQ(client->pendingCount(), TellixClient::queueLimit);

    QTest::qWait(200);
    EXPECT_EQ(server.requests().size(), 1) << "a second request left while the first was open";

    server.closeStalled();
    ASSERT_TRUE(waitForRequests(65));
    QTest::qWait(100);
    ASSERT_EQ(server.requests().size(), 65);
    for (int i = 1; i < 65; ++i) // the first of the 65 was dropped
        EXPECT_EQ(json(server.requests().at(i)).value("name").toString(), catalogue[i % catalogue.size()].rawValue()) << i;
}

TEST_F(TellixClientTest, WithdrawingConsentAbortsTheStalledRequestAtOnce)
{
    auto client = makeStalledClient();
    QSignalSpy sent(client.get(), &TellixClient::sent);
    client->setConsent(true, installation, true);
    client->event(OstrelEvent::appOpened);
    ASSERT_TRUE(waitForRequests(1));
    client->event(OstrelEvent::brimTimerStarted);
    client->event(OstrelEvent::brimTimerCompleted);
    const qint64 generation = client->generation();

    client->setConsent(false, installation, true);
    // No event-loop turn in between: the request is over when the call returns.
    EXPECT_EQ(sent.count(), 1);
    EXPECT_EQ(client->pendingCount(), 0);
    EXPECT_FALSE(client->hasWorker());
    EXPECT_FALSE(client->installation());
    EXPECT_FALSE(client->locationConsent());
    EXPECT_EQ(client->generation(), generation + 1);
    EXPECT_TRUE(spinUntil([&] { return server.connectionsClosed() >= 1; }));

    client->event(OstrelEvent::brimTimerCancelled); // ignored while off
    EXPECT_EQ(client->pendingCount(), 0);

    client->setConsent(true, QStringLiteral("NEW-ID"), false);
    client->event(OstrelEvent::appUncleanExit);
    ASSERT_TRUE(waitForRequests(2));
    QTest::qWait(100);
    ASSERT_EQ(server.requests().size(), 2);
    const QJsonObject document = json(server.requests().at(1));
    EXPECT_EQ(document.value("name").toString(), QStringLiteral("app.uncleanexit"));
    EXPECT_EQ(document.value("metadata").toObject().value("installation_id").toString(), QStringLiteral("NEW-ID"));
    EXPECT_FALSE(document.value("metadata").toObject().value("location_opt_in").toBool());
}

TEST_F(TellixClientTest, IgnoresEventsWithoutConsentIdentifierOrConfiguration)
{
    auto configured = makeClient();
    configured->event(OstrelEvent::appOpened);
    EXPECT_EQ(configured->pendingCount(), 0) << "consent off";

    configured->setConsent(true, std::nullopt, true);
    configured->event(OstrelEvent::appOpened);
    EXPECT_EQ(configured->pendingCount(), 0) << "no installation identifier";

    TellixClient unconfigured(std::nullopt, testContext());
    unconfigured.setConsent(true, installation, true);
    unconfigured.event(OstrelEvent::appOpened);
    EXPECT_EQ(unconfigured.pendingCount(), 0);
    EXPECT_FALSE(QCoro::waitFor(unconfigured.feedback(QStringLiteral("hello"), false)));
    QTest::qWait(50);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(TellixClientTest, FeedbackIsTrimmedBoundedAndCarriesNoIdentity)
{
    const QString exactly2000(2000, QLatin1Char('a'));
    struct Case { QString message; bool bug, accepted; QString sentText; };
    const Case cases[] = {
        {QStringLiteral("  \n\t \n"), false, false, {}}, {QStringLiteral(""), true, false, {}},
        {QStringLiteral("\n\n  ") + exactly2000 + QStringLiteral(" \n"), true, true, exactly2000},
        {exactly2000 + QLatin1Char('b'), false, false, {}},
        {QStringLiteral("\n\nIt froze.\nTwice."), false, true, QStringLiteral("It froze.\nTwice.")},
    };
    const QJsonObject context{{"os", "6.1.0"}, {"architecture", "x86_64"}, {"memory_class", "up_to_16GB"}};
    auto client = makeClient();
    client->setConsent(true, installation, true); // must not leak into reports
    int expectedRequests = 0;
    for (const Case &c : cases) {
        EXPECT_EQ(QCoro::waitFor(client->feedback(c.message, c.bug)), c.accepted) << c.message.left(20).toStdString();
        if (!c.accepted)
            continue;
        ++expectedRequests;
        ASSERT_EQ(server.requests().size(), expectedRequests);
        const ReceivedRequest &request = server.requests().last();
        EXPECT_EQ(request.path, "/ingest/v1/feedback");
        QJsonObject document = json(request);
        EXPECT_FALSE(document.take("timestamp").toString().isEmpty());
        EXPECT_EQ(document, (QJsonObject{{"category", c.bug ? "bug" : "feedback"}, {"message", c.sentText},
                                         {"source", "app.ostrel.brimkit"}, {"release", "1.4.0+27"}, {"metadata", context}}));
    }
    server.setResponder([](const ReceivedRequest &, int) { return ServerAnswer::withStatus(500); });
    EXPECT_FALSE(QCoro::waitFor(client->feedback(QStringLiteral("again"), false)));
}

TEST_F(TellixClientTest, DestroyingTheClientMidRequestEndsItsWork)
{
    auto client = makeStalledClient(true);
    client->setConsent(true, installation, false);
    client->event(OstrelEvent::appOpened);
    client->event(OstrelEvent::brimTimerStarted);
    ASSERT_TRUE(waitForRequests(1));
    std::optional<bool> feedbackResult;
    auto pending = [&]() -> QCoro::Task<> { feedbackResult = co_await client->feedback(QStringLiteral("bye"), false); };
    pending();
    ASSERT_TRUE(waitForRequests(2));
    client.reset();
    ASSERT_TRUE(feedbackResult.has_value()) << "the report's caller was left waiting";
    EXPECT_FALSE(*feedbackResult);
    QTest::qWait(100); // deferred deletions run without touching the client
}

#include "platform/PortalColorSampler.h"

#include "PrivateBus.h"
#include "tests/support/Patience.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
using Outcome = BrimSampledColor::Outcome;
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

enum class Portal { absent, expectedHandle, ownHandle, noMethod, leaves };

// Stands in where no portal answers; says it picked white.
struct WhiteSampler final : BrimColorSampler {
    void pick(Done done) override
    {
        ++picks;
        QTimer::singleShot(0, [done] { done({Outcome::picked, std::array{1.0, 1.0, 1.0}}); });
    }
    int picks = 0;
};

QVariant structOfDoubles(double r, double g, double b)
{
    QDBusArgument argument;
    argument.beginStructure();
    argument << r << g << b;
    argument.endStructure();
    return QVariant::fromValue(argument);
}

QString handleFor(const QDBusMessage &call, Portal portal)
{
    if (portal == Portal::ownHandle)
        return portalPath + QStringLiteral("/request/elsewhere/7");
    QString sender = call.service().mid(1).replace('.', '_');
    const QString token = qdbus_cast<QVariantMap>(call.arguments().value(1)).value("handle_token").toString();
    return portalPath + "/request/" + sender + '/' + token;
}

} // namespace

TEST(PortalColorSampler, AnswersWithTheColorOrACancelOrTheFallback)
{
    struct Row { const char *name; Portal portal; bool fallback; uint response; QVariant color; Outcome outcome;
                 std::optional<std::array<double, 3>> srgb; };
    const std::array white{1.0, 1.0, 1.0};
    const Row rows[] = {
        {"color", Portal::expectedHandle, true, 0, structOfDoubles(0.2, 0.4, 1.02), Outcome::picked, std::array{0.2, 0.4, 1.02}},
        {"cancel", Portal::expectedHandle, true, 1, {}, Outcome::cancelled, {}},
        {"other end", Portal::expectedHandle, true, 2, {}, Outcome::cancelled, {}},
        {"own handle", Portal::ownHandle, true, 0, structOfDoubles(0, 0, 0), Outcome::picked, std::array{0.0, 0.0, 0.0}},
        {"unreadable color", Portal::expectedHandle, true, 0, QStringLiteral("red"), Outcome::picked, {}},
        {"no color", Portal::expectedHandle, true, 0, {}, Outcome::picked, {}},
        {"no portal", Portal::absent, true, 0, {}, Outcome::picked, white},
        {"no method", Portal::noMethod, true, 0, {}, Outcome::picked, white},
        {"nothing at all", Portal::absent, false, 0, {}, Outcome::unavailable, {}},
        {"portal leaves", Portal::leaves, true, 0, {}, Outcome::cancelled, {}},
    };
    PrivateBus bus;
    ASSERT_TRUE(bus.ok());
    QDBusConnection emitter = bus.connect();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<FakeDBusService> portal;
        if (row.portal != Portal::absent)
            portal = std::make_unique<FakeDBusService>(bus, portalService, portalPath, [p = row.portal](const QDBusMessage &call) {
                return std::optional(p == Portal::noMethod ? call.createErrorReply(QDBusError::UnknownMethod, "none")
                                                           : call.createReply(QVariant::fromValue(QDBusObjectPath(handleFor(call, p)))));
            });
        auto fallback = row.fallback ? std::make_shared<WhiteSampler>() : nullptr;
        PortalColorSampler sampler(bus.connect(), fallback);
        std::vector<BrimSampledColor> answers;
        const auto record = [&](const BrimSampledColor &sample) { answers.push_back(sample); };
        sampler.pick(record);
        sampler.pick(record); // while open

        if (portal && row.portal != Portal::noMethod) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return portal->calls("PickColor").size() == 1; }, patienceMs));
            // Until the sampler has the handle (an own one must be listened to).
            ASSERT_TRUE(QTest::qWaitFor([&] { return sampler.findChildren<QDBusPendingCallWatcher *>().isEmpty(); }, patienceMs));
            if (row.portal == Portal::leaves) {
                portal.reset();
            } else {
                const QDBusMessage call = portal->calls("PickColor").first();
                QVariantMap results;
                if (row.color.isValid())
                    results.insert("color", row.color);
                emitter.send(QDBusMessage::createSignal(handleFor(call, row.portal), "org.freedesktop.portal.Request",
                                                        "Response") << row.response << results);
            }
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }, patienceMs));
        EXPECT_EQ(answers[0].outcome, Outcome::cancelled); // the second pick, refused at once
        EXPECT_EQ(answers[1].outcome, row.outcome);
        EXPECT_EQ(answers[1].srgb, row.srgb);
        EXPECT_EQ(fallback ? fallback->picks : 0, row.srgb == white ? 1 : 0);
    }
}

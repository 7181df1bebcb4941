// The microphone controller over the PulseAudio adapter and a real server.
#include "platform/PulseMicrophoneAudio.h"
#include "services/MicrophoneController.h"

#include "PulseServer.h"
#include "tests/support/Patience.h"

#include <gtest/gtest.h>

namespace {
const QString unmuted = QStringLiteral("Default microphone unmuted");
const QString muted = QStringLiteral("Default microphone muted");
const QString confirming = QStringLiteral("Confirming microphone change…");

// Confirmation windows follow a clock the test moves, not the machine's speed.
struct Microphone {
    double now = 1000;
    std::shared_ptr<PulseMicrophoneAudio> audio = std::make_shared<PulseMicrophoneAudio>();
    MicrophoneController controller{audio, [this] { return now; }};
    Microphone() { controller.start(); }
    // The adapter has heard back from the server that the change took.
    bool applied(bool muted)
    {
        return QTest::qWaitFor([&] { return audio->inputMute(audio->defaultInputDevice()) == muted; }, patienceMs);
    }
    bool shows(const QString &status)
    {
        return QTest::qWaitFor([&] { return controller.status() == status; }, patienceMs);
    }
    bool settled() { return QTest::qWaitFor([&] { return !controller.isConfirming(); }, patienceMs); }
};
} // namespace

// The server restarted under a running controller, every other time while a
// change is being confirmed: the state comes back each time by itself, and a
// toggle on the new server is confirmed once the state held for 1.5 s.
// tests/stress/service_faults.sh runs many rounds.
TEST(Microphone, FollowsTheDefaultSourceAcrossServerRestarts)
{
    const int rounds = std::max(2, qEnvironmentVariableIntValue("BRIMKIT_STRESS_ROUNDS"));
    const auto setMute = [](const char *value) {
        return PulseServer::pactl({QStringLiteral("set-source-mute"), QStringLiteral("mic"), QLatin1String(value)});
    };
    PulseServer server;
    Microphone mic;
    ASSERT_TRUE(mic.shows(unmuted));
    EXPECT_EQ(mic.controller.deviceName(), QStringLiteral("mic-desc"));
    EXPECT_EQ(mic.controller.isMuted(), false);
    EXPECT_TRUE(mic.controller.canToggle());
    EXPECT_NE(mic.controller.deviceID(), 0u) << "the first source has index 0";

    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        const bool midChange = round % 2 == 1;
        if (midChange) {
            ASSERT_TRUE(mic.controller.toggle());
        }
        server.stop();
        EXPECT_TRUE(mic.shows(QStringLiteral("Default microphone unavailable")));
        EXPECT_EQ(mic.controller.lastActionError(),
                  midChange ? std::optional(QStringLiteral("Default microphone changed. Check its mute state."))
                             : std::nullopt);
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(setMute("1"));
        EXPECT_TRUE(mic.shows(muted)) << "another program's change, on the restarted server";
        EXPECT_EQ(mic.controller.isMuted(), true);
        ASSERT_TRUE(mic.controller.toggle());
        EXPECT_EQ(mic.controller.status(), confirming);
        EXPECT_FALSE(mic.controller.isMuted());
        ASSERT_TRUE(mic.applied(false));
        mic.now += 1.4;
        EXPECT_FALSE(mic.controller.toggle()) << "a toggle during confirmation";
        mic.controller.refresh();
        EXPECT_EQ(mic.controller.status(), confirming) << "held, but not yet for 1.5 s";
        mic.now += 0.1;
        ASSERT_TRUE(mic.settled());
        EXPECT_EQ(mic.controller.status(), unmuted);
        EXPECT_EQ(mic.controller.isMuted(), false);
        EXPECT_FALSE(mic.controller.lastActionError());
        EXPECT_EQ(PulseServer::mute(QStringLiteral("mic")), QStringLiteral("Mute: no"));
    }
}

TEST(Microphone, ChangesDuringConfirmationFailIt)
{
    const struct { const char *name; QStringList pactl; QString error, deviceAfter; } cases[] = {
        {"another program undoes the mute",
         {QStringLiteral("set-source-mute"), QStringLiteral("mic"), QStringLiteral("0")},
         QStringLiteral("The microphone did not keep the requested mute state. Use your call app’s mute control."),
         QStringLiteral("mic-desc")},
        {"the default source changes",
         {QStringLiteral("set-default-source"), QStringLiteral("headset")},
         QStringLiteral("Default microphone changed. Check its mute state."),
         QStringLiteral("headset-desc")},
    };
    for (const auto &c : cases) {
        PulseServer server({QStringLiteral("mic"), QStringLiteral("headset")});
        Microphone mic;
        ASSERT_TRUE(mic.shows(unmuted)) << c.name;
        ASSERT_TRUE(mic.controller.toggle()) << c.name;
        ASSERT_TRUE(mic.applied(true)) << c.name;
        mic.now += 0.5;
        ASSERT_TRUE(PulseServer::pactl(c.pactl)) << c.name;
        ASSERT_TRUE(mic.settled()) << c.name;
        EXPECT_EQ(mic.controller.lastActionError(), c.error) << c.name;
        EXPECT_EQ(mic.controller.status(), unmuted) << c.name;
        EXPECT_EQ(mic.controller.deviceName(), c.deviceAfter) << c.name;
    }
}

TEST(Microphone, NoSourceAtAll)
{
    PulseServer server(QStringList{});
    Microphone mic;
    const QString unavailable = QStringLiteral("Default microphone unavailable");
    ASSERT_TRUE(mic.shows(unavailable));
    EXPECT_EQ(mic.controller.deviceName(), QStringLiteral("No default microphone"));
    EXPECT_FALSE(mic.controller.toggle());
    EXPECT_EQ(mic.controller.lastActionError(), unavailable);
}

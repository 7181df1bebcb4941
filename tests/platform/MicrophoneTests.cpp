// The microphone controller over the PulseAudio adapter and a real server.
#include "platform/PulseMicrophoneAudio.h"
#include "services/MicrophoneController.h"

#include "PulseServer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
const QString unmuted = QStringLiteral("Default microphone unmuted");
const QString muted = QStringLiteral("Default microphone muted");
const QString confirming = QStringLiteral("Confirming microphone change…");

struct Microphone {
    MicrophoneController controller{std::make_shared<PulseMicrophoneAudio>()};
    Microphone() { controller.start(); }
    bool shows(const QString &status, int ms = 3000)
    {
        return QTest::qWaitFor([&] { return controller.status() == status; }, ms);
    }
    bool settled(int ms = 3000)
    {
        return QTest::qWaitFor([&] { return !controller.isConfirming(); }, ms);
    }
};
} // namespace

TEST(Microphone, FollowsTheDefaultSourceAcrossServerRestarts)
{
    PulseServer server;
    Microphone mic;
    ASSERT_TRUE(mic.shows(unmuted));
    EXPECT_EQ(mic.controller.deviceName(), QStringLiteral("mic-desc"));
    EXPECT_EQ(mic.controller.isMuted(), false);
    EXPECT_TRUE(mic.controller.canToggle());
    EXPECT_NE(mic.controller.deviceID(), 0u) << "the first source has index 0";

    server.stop();
    EXPECT_TRUE(mic.shows(QStringLiteral("Default microphone unavailable")));
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(PulseServer::pactl({QStringLiteral("set-source-mute"), QStringLiteral("mic"), QStringLiteral("1")}));
    EXPECT_TRUE(mic.shows(muted)) << "another program's change, on the restarted server";
    EXPECT_EQ(mic.controller.isMuted(), true);
}

TEST(Microphone, ToggleIsConfirmedOnceTheStateHeld)
{
    PulseServer server;
    Microphone mic;
    ASSERT_TRUE(mic.shows(unmuted));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(mic.controller.toggle());
    EXPECT_EQ(mic.controller.status(), confirming);
    EXPECT_FALSE(mic.controller.isMuted());

    ASSERT_TRUE(QTest::qWaitFor([] { return PulseServer::mute(QStringLiteral("mic")) == QStringLiteral("Mute: yes"); }));
    EXPECT_FALSE(mic.controller.toggle()) << "a toggle during confirmation";
    EXPECT_EQ(mic.controller.status(), confirming);
    EXPECT_FALSE(mic.controller.lastActionError());

    ASSERT_TRUE(mic.settled());
    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_EQ(mic.controller.status(), muted);
    EXPECT_EQ(mic.controller.isMuted(), true);
    EXPECT_FALSE(mic.controller.lastActionError());
    EXPECT_EQ(PulseServer::mute(QStringLiteral("mic")), QStringLiteral("Mute: yes"));
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
        QTest::qWait(500);
        ASSERT_TRUE(mic.controller.isConfirming()) << c.name;
        ASSERT_TRUE(PulseServer::pactl(c.pactl)) << c.name;
        ASSERT_TRUE(mic.settled(1000)) << c.name;
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

#include "services/MicrophoneController.h"

#include <gtest/gtest.h>

TEST(MicrophoneMuteVerification, Rules)
{
    using Kind = MicrophoneMuteVerification::Evaluation::Kind;
    const double start = 800000;
    const MicrophoneMuteVerification muting{7, true, start};
    const QString changed = QStringLiteral("Default microphone changed. Check its mute state.");
    const QString unverifiable = QStringLiteral("Could not verify microphone mute. Use your call app’s mute control.");
    const QString undone = QStringLiteral("The microphone did not keep the requested mute state. Use your call app’s mute control.");
    const struct { std::optional<MicrophoneAudio::DeviceID> device; std::optional<bool> muted; double elapsed; Kind kind;
                   QString message; } cases[] = {
        {std::nullopt, true, 2.0, Kind::failed, changed}, {8, true, 2.0, Kind::failed, changed},
        {8, std::nullopt, 0.0, Kind::failed, changed}, // the device is judged first
        {7, std::nullopt, 0.1, Kind::failed, unverifiable},
        {7, false, 0.0, Kind::pending, {}},
        {7, false, 0.299, Kind::pending, {}}, // the old state may still read back
        {7, false, 0.301, Kind::failed, undone},
        {7, false, 0.5, Kind::failed, undone},
        {7, true, 0.301, Kind::pending, {}},
        {7, true, 1.499, Kind::pending, {}},
        {7, true, 1.501, Kind::confirmed, {}},
        {7, true, 60.0, Kind::confirmed, {}},
            };
    for (const auto &c : cases) {
        const auto result = muting.evaluate(c.device, c.muted, start + c.elapsed);
        EXPECT_EQ(result.kind, c.kind) << c.elapsed;
        EXPECT_EQ(result.message.toStdString(), c.message.toStdString()) << c.elapsed;
    }
}

namespace {
// One device whose every answer a test can set.
struct FakeAudio final : MicrophoneAudio {
    bool isReady() const override { return ready; }
    DeviceID defaultInputDevice() const override { return device; }
    bool hasInputMute(DeviceID) const override { return true; }
    bool canSetInputMute(DeviceID) const override { return true; }
    std::optional<bool> inputMute(DeviceID) const override { return muted; }
    bool setInputMute(DeviceID, bool value) override
    {
        if (writable)
            muted = value;
        return writable;
    }
    std::optional<QString> deviceName(DeviceID) const override { return std::nullopt; }
    bool isOtherMuteToolRunning() const override { return otherTool; }
    void observe(Observer o) override { observer = std::move(o); }

    bool ready = false, writable = true, otherTool = false;
    DeviceID device = 3;
    std::optional<bool> muted = false;
    Observer observer;
};
} // namespace

TEST(MicrophoneController, WaitsForTheFirstAnswerAndReportsFailedActions)
{
    auto audio = std::make_shared<FakeAudio>();
    double now = 1000;
    MicrophoneController controller(audio, [&now] { return now; });
    controller.start();
    EXPECT_EQ(controller.status(), QStringLiteral("Checking default microphone…"));
    audio->ready = true;
    audio->observer();
    EXPECT_EQ(controller.status(), QStringLiteral("Default microphone unmuted"));
    EXPECT_EQ(controller.deviceName(), QStringLiteral("Default microphone"));

    audio->writable = false;
    EXPECT_FALSE(controller.toggle());
    EXPECT_EQ(controller.lastActionError(), QStringLiteral("Could not change microphone mute"));

    // Another tool fights the change back.
    audio->writable = true;
    audio->otherTool = true;
    ASSERT_TRUE(controller.toggle());
    EXPECT_FALSE(controller.lastActionError());
    audio->muted = false;
    now += 0.5;
    controller.refresh();
    EXPECT_FALSE(controller.isConfirming());
    EXPECT_EQ(controller.lastActionError(),
              QStringLiteral("The microphone change did not stay applied. Mic Drop is running and may override it. "
                             "Quit Mic Drop to let Ostrel control mute, or use Mic Drop instead."));
    EXPECT_EQ(controller.status(), QStringLiteral("Default microphone unmuted"));
}

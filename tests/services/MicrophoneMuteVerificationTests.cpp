#include "services/MicrophoneMuteVerification.h"

#include <gtest/gtest.h>

TEST(MicrophoneMuteVerification, Rules)
{
    using Kind = MicrophoneMuteVerification::Evaluation::Kind;
    const BrimDate start = BrimDate::fromSeconds(800000000);
    const MicrophoneMuteVerification muting{7, true, start};
    const QString changed = QStringLiteral("Default microphone changed. Check its mute state.");
    const QString unverifiable = QStringLiteral("Could not verify microphone mute. Use your call app’s mute control.");
    const QString undone = QStringLiteral("The microphone did not keep the requested mute state. Use your call app’s mute control.");
    const struct {
        std::optional<MicrophoneAudio::DeviceID> device;
        std::optional<bool> muted;
        double elapsed;
        Kind kind;
        QString message;
    } cases[] = {
        {std::nullopt, true, 2.0, Kind::failed, changed},
        {8, true, 2.0, Kind::failed, changed},
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
        {7, true, -5.0, Kind::pending, {}}, // clock set back
    };
    for (const auto &c : cases) {
        const auto result = muting.evaluate(c.device, c.muted, start + c.elapsed);
        EXPECT_EQ(result.kind, c.kind) << c.elapsed;
        EXPECT_EQ(result.message.toStdString(), c.message.toStdString()) << c.elapsed;
    }
}

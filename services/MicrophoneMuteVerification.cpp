#include "services/MicrophoneMuteVerification.h"

#include <QCoreApplication>

#include <chrono>

using Evaluation = MicrophoneMuteVerification::Evaluation;

namespace {
// Texts are marked where they are written, so the translation tools find them.
Evaluation failed(const char *text)
{
    return {Evaluation::Kind::failed, QCoreApplication::translate("MicrophoneController", text)};
}
} // namespace

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Evaluation MicrophoneMuteVerification::evaluate(std::optional<MicrophoneAudio::DeviceID> currentDevice,
                                                std::optional<bool> muted, double now) const
{
    if (!currentDevice || *currentDevice != device)
        return failed(QT_TRANSLATE_NOOP("MicrophoneController", "Default microphone changed. Check its mute state."));
    if (!muted)
        return failed(QT_TRANSLATE_NOOP("MicrophoneController", "Could not verify microphone mute. Use your call app’s mute control."));
    const double elapsed = now - startedAt;
    if (elapsed < settleSeconds)
        return {Evaluation::Kind::pending, {}};
    if (*muted != requested)
        return failed(QT_TRANSLATE_NOOP("MicrophoneController", "The microphone did not keep the requested mute state. Use your call app’s mute control."));
    if (elapsed >= confirmSeconds)
        return {Evaluation::Kind::confirmed, {}};
    return {Evaluation::Kind::pending, {}};
}

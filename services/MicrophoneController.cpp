#include "services/MicrophoneController.h"

#include <QPointer>

MicrophoneController::MicrophoneController(std::shared_ptr<MicrophoneAudio> audio, MonotonicSeconds clock,
                                           QObject *parent)
    : QObject(parent)
    , m_audio(std::move(audio))
    , m_clock(std::move(clock))
{
    m_state.deviceName = tr("Default microphone");
    m_state.status = tr("Checking default microphone…");
    m_refreshLoop.setInterval(1000);
    connect(&m_refreshLoop, &QTimer::timeout, this, &MicrophoneController::refresh);
    m_verificationLoop.setInterval(200);
    connect(&m_verificationLoop, &QTimer::timeout, this, [this] {
        if (!m_verification)
            m_verificationLoop.stop();
        else
            refresh();
    });
    // The audio service answers from a cache that fills asynchronously: refresh
    // as soon as it learns something instead of waiting for the next tick.
    m_audio->observe([self = QPointer(this)] {
        if (self && (self->isStarted() || self->isConfirming()))
            self->refresh();
    });
}

MicrophoneController::~MicrophoneController()
{
    m_audio->observe(nullptr);
}

void MicrophoneController::start()
{
    if (isStarted())
        return;
    refresh();
    m_refreshLoop.start();
}

void MicrophoneController::stop()
{
    m_refreshLoop.stop();
    m_verificationLoop.stop();
    m_verification.reset();
}

void MicrophoneController::refresh()
{
    const State before = m_state;
    update();
    announceIfChanged(before);
}

bool MicrophoneController::toggle()
{
    if (m_verification)
        return false;
    const State before = m_state;
    m_state.lastActionError.reset();
    update();
    bool issued = false;
    if (m_state.canToggle && m_state.isMuted) {
        const bool requested = !*m_state.isMuted;
        if (m_audio->defaultInputDevice() != m_deviceID) {
            update();
            m_state.status = tr("Default microphone changed. Try again.");
        } else if (!m_audio->setInputMute(m_deviceID, requested)) {
            update();
            m_state.status = tr("Could not change microphone mute");
        } else {
            m_verification = MicrophoneMuteVerification{m_deviceID, requested, m_clock()};
            showConfirming();
            m_verificationLoop.start();
            issued = true;
        }
    }
    if (!issued)
        m_state.lastActionError = m_state.status;
    announceIfChanged(before);
    return issued;
}

void MicrophoneController::update()
{
    // Until the audio service has answered, "Checking…" is the truth.
    if (!m_audio->isReady())
        return;
    if (!settleVerification())
        return;
    const MicrophoneAudio::DeviceID device = m_audio->defaultInputDevice();
    if (device == 0) {
        m_deviceID = 0;
        m_state.deviceName = tr("No default microphone");
        setUnavailable(tr("Default microphone unavailable"));
        return;
    }
    m_deviceID = device;
    m_state.deviceName = m_audio->deviceName(device).value_or(tr("Default microphone"));
    if (!m_audio->hasInputMute(device)) {
        setUnavailable(tr("This microphone does not support device mute"));
        return;
    }
    const std::optional<bool> muted = m_audio->inputMute(device);
    if (!muted) {
        setUnavailable(tr("Could not read microphone mute state"));
        return;
    }
    if (m_audio->defaultInputDevice() != device) {
        m_deviceID = 0;
        m_state.deviceName = tr("Default microphone changed");
        setUnavailable(tr("Checking the new microphone…"));
        return;
    }
    m_state.isMuted = muted;
    m_state.canToggle = m_audio->canSetInputMute(device);
    if (!m_state.canToggle)
        m_state.status = tr("Microphone mute cannot be controlled on this device");
    else
        m_state.status = *muted ? tr("Default microphone muted") : tr("Default microphone unmuted");
}

bool MicrophoneController::settleVerification()
{
    if (!m_verification)
        return true;
    const MicrophoneAudio::DeviceID device = m_audio->defaultInputDevice();
    std::optional<bool> muted;
    if (device != 0 && m_audio->hasInputMute(device))
        muted = m_audio->inputMute(device);
    const auto evaluation = m_verification->evaluate(device != 0 ? std::optional(device) : std::nullopt, muted,
                                                     m_clock());
    using Kind = MicrophoneMuteVerification::Evaluation::Kind;
    if (evaluation.kind == Kind::pending) {
        showConfirming();
        return false;
    }
    m_verification.reset();
    m_verificationLoop.stop();
    if (evaluation.kind == Kind::failed)
        m_state.lastActionError = m_audio->isOtherMuteToolRunning()
            ? tr("The microphone change did not stay applied. Mic Drop is running and may override it. "
                 "Quit Mic Drop to let Ostrel control mute, or use Mic Drop instead.")
            : evaluation.message;
    return true;
}

void MicrophoneController::showConfirming()
{
    m_state.isMuted.reset();
    m_state.canToggle = false;
    m_state.status = tr("Confirming microphone change…");
}

void MicrophoneController::setUnavailable(const QString &status)
{
    m_state.isMuted.reset();
    m_state.canToggle = false;
    m_state.status = status;
}

void MicrophoneController::announceIfChanged(const State &before)
{
    if (m_state != before)
        Q_EMIT changed();
}

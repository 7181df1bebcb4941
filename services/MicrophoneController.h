#pragma once
// Reads and toggles the mute of the default input device and confirms that a
// change stuck: other software can silently undo it. Refreshes once a second
// while started, and whenever the audio service reports a change; a change
// being confirmed is rechecked five times a second. Main thread only.

#include "services/MicrophoneAudio.h"
#include "services/MicrophoneMuteVerification.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class MicrophoneController : public QObject {
    Q_OBJECT
public:
    explicit MicrophoneController(std::shared_ptr<MicrophoneAudio> audio,
                                  MonotonicSeconds clock = steadySeconds,
                                  QObject *parent = nullptr);
    ~MicrophoneController() override;

    // Refreshes at once, then every second; nothing when already started.
    void start();
    // Ends both loops and drops a change being confirmed.
    void stop();
    void refresh();
    // True when a change was issued; false with lastActionError set otherwise,
    // and false without any change while an earlier change is being confirmed.
    bool toggle();

    // Absent while unknown or being confirmed.
    std::optional<bool> isMuted() const { return m_state.isMuted; }
    const QString &deviceName() const { return m_state.deviceName; }
    const QString &status() const { return m_state.status; }
    bool canToggle() const { return m_state.canToggle; }
    const std::optional<QString> &lastActionError() const { return m_state.lastActionError; }
    // The device the state belongs to; 0 for none.
    MicrophoneAudio::DeviceID deviceID() const { return m_deviceID; }
    bool isStarted() const { return m_refreshLoop.isActive(); }
    bool isConfirming() const { return m_verification.has_value(); }

Q_SIGNALS:
    // Published state (the five values above the device identifier) changed.
    void changed();

private:
    struct State {
        std::optional<bool> isMuted;
        QString deviceName;
        QString status;
        bool canToggle = false;
        std::optional<QString> lastActionError;
        friend bool operator==(const State &, const State &) = default;
    };

    void update();
    // Returns false when the verification is still pending and the state must stay as it is.
    bool settleVerification();
    void showConfirming();
    void setUnavailable(const QString &status);
    void announceIfChanged(const State &before);

    std::shared_ptr<MicrophoneAudio> m_audio;
    MonotonicSeconds m_clock;
    State m_state;
    MicrophoneAudio::DeviceID m_deviceID = 0;
    std::optional<MicrophoneMuteVerification> m_verification;
    QTimer m_refreshLoop;
    QTimer m_verificationLoop;
};

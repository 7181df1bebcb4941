#pragma once
// The default input device through the PulseAudio API (which PipeWire also
// serves): the server's default source, its mute and its description. The
// connection runs on the Qt event loop; what the server says is kept here and
// refreshed on every server or source change it announces, so reads never
// wait. A lost server is retried every second, so a restarted one is found
// again. Device identifiers are source indices plus one, because index 0 is a
// real source and 0 means "none" to callers.

#include "platform/PulseSource.h"
#include "platform/QtPulseMainloop.h"
#include "services/MicrophoneAudio.h"

#include <QObject>
#include <QTimer>

#include <optional>

struct pa_context;

class PulseMicrophoneAudio final : public QObject, public MicrophoneAudio {
    Q_OBJECT
public:
    explicit PulseMicrophoneAudio(QObject *parent = nullptr);
    ~PulseMicrophoneAudio() override;

    bool isReady() const override { return m_ready; }
    DeviceID defaultInputDevice() const override;
    // Every PulseAudio source has a software mute that clients may set.
    bool hasInputMute(DeviceID device) const override { return isCurrent(device); }
    bool canSetInputMute(DeviceID device) const override { return isCurrent(device); }
    std::optional<bool> inputMute(DeviceID device) const override;
    bool setInputMute(DeviceID device, bool muted) override;
    std::optional<QString> deviceName(DeviceID device) const override;
    // No separate mute tool of that kind exists on Linux desktops.
    bool isOtherMuteToolRunning() const override { return false; }
    void observe(Observer observer) override { m_observer = std::move(observer); }

private:
    using Source = PulseSource;

    bool isCurrent(DeviceID device) const { return device != 0 && device == defaultInputDevice(); }
    void connectToServer();
    void releaseContext();
    void contextStateChanged();
    void lostServer(const char *reason);
    void fetch();
    void finishFetch();
    void apply(const std::optional<Source> &source);

    // libpulse's callbacks (defined with the source).
    struct Callbacks;

    QtPulseMainloop m_mainloop;
    pa_context *m_context = nullptr;
    QTimer m_retry;
    std::optional<Source> m_source;
    // The source a fetch in flight has found so far.
    std::optional<Source> m_found;
    bool m_ready = false;
    bool m_fetching = false;
    bool m_fetchAgain = false;
    bool m_connectedOnce = false;
    bool m_failureLogged = false;
    Observer m_observer;
};

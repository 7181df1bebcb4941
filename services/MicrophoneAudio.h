#pragma once
// The default input device as the microphone controller sees it: identifier,
// mute property and name. Reads are immediate (an adapter answers from what
// it last learnt from the sound server) and never block; the observer is told
// when any answer may have changed. QtCore only, so platform adapters can
// implement it without linking the widgets.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class MicrophoneAudio {
public:
    // 0 means no device.
    using DeviceID = std::uint32_t;
    using Observer = std::function<void()>;

    virtual ~MicrophoneAudio() = default;

    // False until the first answer about the default device (or about the
    // sound server being absent) has arrived.
    virtual bool isReady() const = 0;
    virtual DeviceID defaultInputDevice() const = 0;
    virtual bool hasInputMute(DeviceID device) const = 0;
    virtual bool canSetInputMute(DeviceID device) const = 0;
    // Nothing when the state is unknown.
    virtual std::optional<bool> inputMute(DeviceID device) const = 0;
    // False when the change could not be issued.
    virtual bool setInputMute(DeviceID device, bool muted) = 0;
    virtual std::optional<QString> deviceName(DeviceID device) const = 0;
    // Whether a separate mute tool that fights over the device is running.
    virtual bool isOtherMuteToolRunning() const = 0;
    // Replaces any earlier observer. It is called on the main thread from the
    // event loop, never from inside one of the calls above.
    virtual void observe(Observer observer) = 0;
};

#include "platform/PulseMicrophoneAudio.h"

#include "platform/PlatformLogging.h"

#include <QGuiApplication>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/subscribe.h>

struct PulseMicrophoneAudio::Callbacks {
    static void onState(pa_context *context, void *self);
    static void onEvent(pa_context *context, pa_subscription_event_type_t type, std::uint32_t index, void *self);
    static void onServerInfo(pa_context *context, const pa_server_info *info, void *self);
    static void onSourceInfo(pa_context *context, const pa_source_info *info, int eol, void *self);
    static void onMuteSet(pa_context *context, int success, void *self);
};

namespace {
PulseMicrophoneAudio *self(void *userdata)
{
    return static_cast<PulseMicrophoneAudio *>(userdata);
}

const char *lastError(pa_context *context)
{
    return pa_strerror(pa_context_errno(context));
}
} // namespace

PulseMicrophoneAudio::PulseMicrophoneAudio(QObject *parent)
    : QObject(parent)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(1000);
    connect(&m_retry, &QTimer::timeout, this, &PulseMicrophoneAudio::connectToServer);
    connectToServer();
}

PulseMicrophoneAudio::~PulseMicrophoneAudio()
{
    releaseContext();
}

MicrophoneAudio::DeviceID PulseMicrophoneAudio::defaultInputDevice() const
{
    return m_source ? m_source->deviceID() : 0;
}

std::optional<bool> PulseMicrophoneAudio::inputMute(DeviceID device) const
{
    if (!isCurrent(device))
        return std::nullopt;
    return m_source->muted;
}

std::optional<QString> PulseMicrophoneAudio::deviceName(DeviceID device) const
{
    if (!isCurrent(device) || m_source->description.isEmpty())
        return std::nullopt;
    return m_source->description;
}

bool PulseMicrophoneAudio::setInputMute(DeviceID device, bool muted)
{
    if (!isCurrent(device) || !m_context || pa_context_get_state(m_context) != PA_CONTEXT_READY)
        return false;
    pa_operation *operation
        = pa_context_set_source_mute_by_index(m_context, m_source->index, muted ? 1 : 0, &Callbacks::onMuteSet, this);
    if (!operation) {
        qCWarning(lcPlatform) << "Could not ask PulseAudio to change the source mute:" << lastError(m_context);
        return false;
    }
    pa_operation_unref(operation);
    return true;
}

void PulseMicrophoneAudio::connectToServer()
{
    releaseContext();
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, QGuiApplication::applicationDisplayName().toUtf8().constData());
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, QGuiApplication::desktopFileName().toUtf8().constData());
    m_context = pa_context_new_with_proplist(m_mainloop.api(), nullptr, properties);
    pa_proplist_free(properties);
    if (!m_context) {
        lostServer("could not create a context");
        return;
    }
    pa_context_set_state_callback(m_context, &Callbacks::onState, this);
    pa_context_set_subscribe_callback(m_context, &Callbacks::onEvent, this);
    // Starting a sound server is the session's business, not ours.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lostServer(lastError(m_context));
}

void PulseMicrophoneAudio::releaseContext()
{
    if (!m_context)
        return;
    // Disconnecting cancels every operation in flight, so no callback reaches us afterwards.
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
    m_fetching = false;
    m_fetchAgain = false;
}

void PulseMicrophoneAudio::contextStateChanged()
{
    switch (pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY: {
        m_failureLogged = false;
        m_connectedOnce = true;
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SOURCE);
        if (pa_operation *operation = pa_context_subscribe(m_context, mask, nullptr, nullptr))
            pa_operation_unref(operation);
        else
            qCWarning(lcPlatform) << "Could not subscribe to PulseAudio source changes:" << lastError(m_context);
        fetch();
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        lostServer(lastError(m_context));
        break;
    default:
        break;
    }
}

void PulseMicrophoneAudio::lostServer(const char *reason)
{
    // One warning per outage, not one per retry.
    if (!m_failureLogged)
        qCWarning(lcPlatform) << (m_connectedOnce ? "Lost the PulseAudio server:" : "No PulseAudio server:") << reason;
    m_failureLogged = true;
    m_fetching = false;
    m_fetchAgain = false;
    // The context is released when the retry starts: not from inside its own callback.
    m_retry.start();
    apply(std::nullopt);
}

void PulseMicrophoneAudio::fetch()
{
    if (m_fetching) {
        m_fetchAgain = true;
        return;
    }
    m_found.reset();
    pa_operation *operation = pa_context_get_server_info(m_context, &Callbacks::onServerInfo, this);
    if (!operation) {
        qCWarning(lcPlatform) << "Could not ask PulseAudio for its default source:" << lastError(m_context);
        return;
    }
    m_fetching = true;
    pa_operation_unref(operation);
}

void PulseMicrophoneAudio::finishFetch()
{
    m_fetching = false;
    apply(m_found);
    // Answers arrive in request order, so one more round sees every change announced meanwhile.
    if (m_fetchAgain) {
        m_fetchAgain = false;
        fetch();
    }
}

void PulseMicrophoneAudio::apply(const std::optional<Source> &source)
{
    const bool becameReady = !m_ready;
    const bool changed = source != m_source;
    m_ready = true;
    m_source = source;
    if ((changed || becameReady) && m_observer)
        m_observer();
}

void PulseMicrophoneAudio::Callbacks::onState(pa_context *, void *userdata)
{
    self(userdata)->contextStateChanged();
}

void PulseMicrophoneAudio::Callbacks::onEvent(pa_context *, pa_subscription_event_type_t type, std::uint32_t index, void *userdata)
{
    PulseMicrophoneAudio *audio = self(userdata);
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    // Other sources matter only when none is the default yet.
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER
        || (facility == PA_SUBSCRIPTION_EVENT_SOURCE && (!audio->m_source || audio->m_source->index == index)))
        audio->fetch();
}

void PulseMicrophoneAudio::Callbacks::onServerInfo(pa_context *context, const pa_server_info *info, void *userdata)
{
    PulseMicrophoneAudio *audio = self(userdata);
    if (!info) {
        qCWarning(lcPlatform) << "PulseAudio did not report its default source:" << lastError(context);
        audio->finishFetch();
        return;
    }
    if (!info->default_source_name) {
        audio->finishFetch();
        return;
    }
    pa_operation *operation = pa_context_get_source_info_by_name(context, info->default_source_name, &Callbacks::onSourceInfo, audio);
    if (!operation) {
        qCWarning(lcPlatform) << "Could not ask PulseAudio about the default source:" << lastError(context);
        audio->finishFetch();
        return;
    }
    pa_operation_unref(operation);
}

void PulseMicrophoneAudio::Callbacks::onSourceInfo(pa_context *context, const pa_source_info *info, int eol, void *userdata)
{
    PulseMicrophoneAudio *audio = self(userdata);
    if (info) {
        audio->m_found = PulseSource::from(*info);
        return;
    }
    // A default that vanished meanwhile answers "no such entity": there is no source then.
    if (eol < 0 && pa_context_errno(context) != PA_ERR_NOENTITY)
        qCWarning(lcPlatform) << "PulseAudio did not describe the default source:" << lastError(context);
    audio->finishFetch();
}

void PulseMicrophoneAudio::Callbacks::onMuteSet(pa_context *context, int success, void *)
{
    // The read-back that follows shows the old state; the controller reports that.
    if (!success)
        qCWarning(lcPlatform) << "PulseAudio refused to change the source mute:" << lastError(context);
}

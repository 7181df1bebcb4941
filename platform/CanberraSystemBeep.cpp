#include "platform/CanberraSystemBeep.h"

#include "platform/PlatformLogging.h"

#include <QApplication>
#include <QMetaObject>

#include <canberra.h>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <type_traits>

namespace {

// ALSA's error handler type (alsa/error.h), declared here so the library is
// only loaded once a sound is played.
using AlsaErrorHandler = void (*)(const char *file, int line, const char *function, int error, const char *format, ...);

void alsaErrorToLog(const char *file, int line, const char *function, int error, const char *format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    qCDebug(lcPlatform, "ALSA %s:%d (%s) %d: %s", file, line, function, error, text);
}

// canberra's ALSA backend reports a missing sound device through ALSA's
// error handler, which prints to the terminal on every sound: send those
// lines to our logging category instead.
void routeAlsaErrors()
{
    static std::once_flag once;
    std::call_once(once, [] {
        void *alsa = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
        if (!alsa)
            return; // no ALSA, nothing of it to route
        using SetHandler = int (*)(AlsaErrorHandler);
        if (const auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler")))
            set(alsaErrorToLog);
    });
}

// libcanberra, loaded at the first sound: linked in, it and the Vorbis and
// sound-theme libraries behind it would stay mapped in every idle app.
struct Canberra {
    decltype(&::ca_context_create) contextCreate;
    decltype(&::ca_context_destroy) contextDestroy;
    decltype(&::ca_context_change_props_full) contextChangeProps;
    decltype(&::ca_context_play_full) contextPlay;
    decltype(&::ca_proplist_create) proplistCreate;
    decltype(&::ca_proplist_sets) proplistSets;
    decltype(&::ca_proplist_destroy) proplistDestroy;
    decltype(&::ca_strerror) strerror;
};

// Null when the library or one of its functions is missing (said once).
const Canberra *canberra()
{
    static const std::optional<Canberra> loaded = []() -> std::optional<Canberra> {
        void *library = ::dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        const auto resolve = [library](auto &function, const char *name) {
            function = library ? reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name))
                               : nullptr;
            return function != nullptr;
        };
        Canberra api{};
        if (resolve(api.contextCreate, "ca_context_create") && resolve(api.contextDestroy, "ca_context_destroy")
            && resolve(api.contextChangeProps, "ca_context_change_props_full")
            && resolve(api.contextPlay, "ca_context_play_full") && resolve(api.proplistCreate, "ca_proplist_create")
            && resolve(api.proplistSets, "ca_proplist_sets") && resolve(api.proplistDestroy, "ca_proplist_destroy")
            && resolve(api.strerror, "ca_strerror"))
            return api;
        qCWarning(lcPlatform) << "No sound library:" << ::dlerror();
        return std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
}

struct SoundEvents {
    const char *ids[2];
    const char *description;
};

SoundEvents eventsFor(BrimSystemBeep::Sound sound)
{
    switch (sound) {
    case BrimSystemBeep::Sound::alert: return {{"bell", nullptr}, "Alert sound"};
    case BrimSystemBeep::Sound::notification: return {{"alarm-clock-elapsed", "bell"}, "Timer finished"};
    }
    return {{"bell", nullptr}, "Alert sound"};
}

} // namespace

// Used on the worker thread only, one sound at a time.
struct CanberraSystemBeep::Player {
    QByteArray applicationName;
    QByteArray applicationId;
    Fallback fallback;
    ca_context *context = nullptr;
    bool unusable = false;
    // Sounds canberra took and has not yet said are over.
    std::mutex playingMutex;
    std::condition_variable playingChanged;
    int playing = 0;

    // On canberra's own thread, once a sound ended or was cut short.
    static void finished(ca_context *, uint32_t, int, void *userdata)
    {
        auto *player = static_cast<Player *>(userdata);
        const std::lock_guard lock(player->playingMutex);
        --player->playing;
        player->playingChanged.notify_all();
    }

    ~Player()
    {
        if (context)
            canberra()->contextDestroy(context);
    }

    int open(const Canberra &api)
    {
        if (context)
            return CA_SUCCESS;
        routeAlsaErrors();
        const int created = api.contextCreate(&context);
        if (created != CA_SUCCESS) {
            context = nullptr;
            return created;
        }
        ca_proplist *properties = nullptr;
        if (api.proplistCreate(&properties) == CA_SUCCESS) {
            api.proplistSets(properties, CA_PROP_APPLICATION_NAME, applicationName.constData());
            api.proplistSets(properties, CA_PROP_APPLICATION_ID, applicationId.constData());
            api.contextChangeProps(context, properties);
            api.proplistDestroy(properties);
        }
        return CA_SUCCESS;
    }

    // True when canberra took the sound.
    bool play(Sound sound)
    {
        const Canberra *api = unusable ? nullptr : canberra();
        int result = api ? open(*api) : CA_ERROR_NOTAVAILABLE;
        if (result != CA_SUCCESS) {
            if (api)
                qCWarning(lcPlatform) << "No sound context:" << api->strerror(result);
            unusable = true;
            return false;
        }
        const SoundEvents events = eventsFor(sound);
        for (const char *id : events.ids) {
            if (!id)
                break;
            ca_proplist *properties = nullptr;
            result = api->proplistCreate(&properties);
            if (result != CA_SUCCESS)
                break;
            api->proplistSets(properties, CA_PROP_EVENT_ID, id);
            api->proplistSets(properties, CA_PROP_EVENT_DESCRIPTION, events.description);
            {
                const std::lock_guard lock(playingMutex);
                ++playing;
            }
            result = api->contextPlay(context, 0, properties, &Player::finished, this);
            api->proplistDestroy(properties);
            if (result == CA_SUCCESS)
                return true;
            const std::lock_guard lock(playingMutex);
            --playing;
        }
        qCWarning(lcPlatform) << "Could not play a sound, using the toolkit's beep:" << api->strerror(result);
        return false;
    }
};

CanberraSystemBeep::CanberraSystemBeep(Fallback fallback)
    : m_player(std::make_shared<Player>())
{
    m_player->applicationName = QGuiApplication::applicationDisplayName().toUtf8();
    m_player->applicationId = QGuiApplication::desktopFileName().toUtf8();
    m_player->fallback = fallback ? std::move(fallback) : [] { QApplication::beep(); };
    m_worker.setMaxThreadCount(1);
}

CanberraSystemBeep::~CanberraSystemBeep()
{
    m_worker.waitForDone();
}

void CanberraSystemBeep::waitForSounds(std::chrono::milliseconds patience)
{
    m_worker.waitForDone();
    std::unique_lock lock(m_player->playingMutex);
    if (!m_player->playingChanged.wait_for(lock, patience, [this] { return m_player->playing <= 0; }))
        qCWarning(lcPlatform) << "A sound still plays after" << patience.count() << "ms; it is cut short.";
}

void CanberraSystemBeep::play(Sound sound)
{
    m_worker.start([player = m_player, sound] {
        if (player->play(sound))
            return;
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, player->fallback, Qt::QueuedConnection);
    });
}

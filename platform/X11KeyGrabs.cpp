#include "platform/X11KeyGrabs.h"

#include "platform/PlatformLogging.h"
#include "platform/ShortcutKeysyms.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <optional>

namespace {

using KeySymbols = std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)>;

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool waylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

X11KeyGrabs::X11KeyGrabs(QObject *parent)
    : QObject(parent)
    , m_connection(supported() ? qtConnection() : nullptr)
{
    if (!m_connection)
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeyGrabs::~X11KeyGrabs()
{
    if (!m_connection)
        return;
    release();
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11KeyGrabs::supported()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && qtConnection() && !waylandSession();
}

X11KeyGrabs::Masks X11KeyGrabs::modifierMasks() const
{
    // The usual layout, unless the server's modifier map says otherwise.
    Masks masks{XCB_MOD_MASK_1, XCB_MOD_MASK_4, XCB_MOD_MASK_2};
    const KeySymbols symbols(xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    const Reply<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr), &std::free);
    if (!map || !symbols)
        return masks;
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    std::optional<std::uint16_t> alt, super, numLock;
    for (int modifier = 3; modifier < 8; ++modifier) { // Mod1 to Mod5
        const auto mask = std::uint16_t(1u << modifier);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            for (int column = 0; column < 4 && keycode; ++column) {
                const xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols.get(), keycode, column);
                if (sym == XKB_KEY_Alt_L || sym == XKB_KEY_Alt_R || sym == XKB_KEY_Meta_L || sym == XKB_KEY_Meta_R)
                    alt = alt.value_or(mask);
                else if (sym == XKB_KEY_Super_L || sym == XKB_KEY_Super_R)
                    super = super.value_or(mask);
                else if (sym == XKB_KEY_Num_Lock)
                    numLock = numLock.value_or(mask);
            }
        }
    }
    return {alt.value_or(masks.alt), super.value_or(masks.super), numLock.value_or(masks.numLock)};
}

BrimShortcutKeyProblem X11KeyGrabs::problem(BrimShortcutAction action) const
{
    const auto found = m_problems.find(action.value());
    return found == m_problems.end() ? BrimShortcutKeyProblem::none : found->second;
}

void X11KeyGrabs::grab(const BrimGlobalShortcuts::Keys &keys)
{
    m_keys = keys;
    m_problems.clear();
    if (!m_connection)
        return;
    ungrabAll();
    if (keys.empty()) {
        xcb_flush(m_connection);
        return;
    }
    const Masks masks = modifierMasks();
    m_relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | masks.alt | masks.super;
    const std::uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, masks.numLock, std::uint16_t(XCB_MOD_MASK_LOCK | masks.numLock)};
    const KeySymbols symbols(xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);

    struct Request {
        Grab grab;
        xcb_void_cookie_t cookies[4];
    };
    QList<Request> requests;
    for (const auto &[action, sequence] : keys) {
        const QKeyCombination combination = sequence[0];
        const Qt::KeyboardModifiers qt = combination.keyboardModifiers();
        const auto modifiers = std::uint16_t((qt & Qt::ShiftModifier ? XCB_MOD_MASK_SHIFT : 0)
                                             | (qt & Qt::ControlModifier ? XCB_MOD_MASK_CONTROL : 0)
                                             | (qt & Qt::AltModifier ? masks.alt : 0) | (qt & Qt::MetaModifier ? masks.super : 0));
        const std::uint32_t sym = ShortcutKeysyms::keysym(combination);
        const std::unique_ptr<xcb_keycode_t, decltype(&std::free)> keycodes(
            sym && symbols ? xcb_key_symbols_get_keycode(symbols.get(), sym) : nullptr, &std::free);
        if (!keycodes || keycodes.get()[0] == XCB_NO_SYMBOL) {
            qCWarning(lcPlatform) << "no key on this keyboard types" << sequence.toString(QKeySequence::PortableText);
            m_problems[action] = BrimShortcutKeyProblem::notOnKeyboard;
            continue;
        }
        for (const xcb_keycode_t *keycode = keycodes.get(); *keycode != XCB_NO_SYMBOL; ++keycode) {
            Request request{{*keycode, modifiers, BrimShortcutAction(action)}, {}};
            for (int i = 0; i < 4; ++i)
                request.cookies[i] = xcb_grab_key_checked(m_connection, 0, m_root, modifiers | locks[i], *keycode,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            requests << request;
        }
    }
    for (const Request &request : std::as_const(requests)) {
        bool held = false;
        for (const xcb_void_cookie_t &cookie : request.cookies) {
            if (const Reply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie), &std::free); error) {
                held = held || error->error_code == XCB_ACCESS;
                if (error->error_code != XCB_ACCESS)
                    qCWarning(lcPlatform) << "grabbing a shortcut key failed with X error" << error->error_code;
            }
        }
        m_grabs << request.grab;
        if (held)
            m_problems[request.grab.action.value()] = BrimShortcutKeyProblem::heldElsewhere;
    }
    // A key another program holds is not half ours: none of its grabs stay.
    const auto held = [this](const Grab &grab) { return problem(grab.action) == BrimShortcutKeyProblem::heldElsewhere; };
    for (const Grab &grab : std::as_const(m_grabs)) {
        if (held(grab)) {
            for (std::uint16_t lock : locks)
                xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | lock);
        }
    }
    m_grabs.removeIf(held);
    for (const auto &[action, kind] : m_problems) {
        if (kind == BrimShortcutKeyProblem::heldElsewhere)
            qCWarning(lcPlatform).noquote() << keys.at(action).toString(QKeySequence::NativeText)
                                            << "is grabbed by another program";
    }
    xcb_flush(m_connection);
}

void X11KeyGrabs::ungrabAll()
{
    // AnyModifier lets go of every lock variant at once.
    for (const Grab &grab : std::as_const(m_grabs))
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | XCB_MOD_MASK_ANY);
    m_grabs.clear();
    m_down = 0;
}

bool X11KeyGrabs::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_grabs.isEmpty() || eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type == XCB_MAPPING_NOTIFY) {
        // Keycodes may now type something else: take the keys again.
        QMetaObject::invokeMethod(
            this, [this] { grab(BrimGlobalShortcuts::Keys(m_keys)); Q_EMIT regrabbed(); }, Qt::QueuedConnection);
        return false;
    }
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    // Our own pop-up holds the keyboard while it is open: its keys come here too.
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    const std::uint16_t modifiers = key->state & m_relevant;
    const auto grabbed = std::find_if(m_grabs.cbegin(), m_grabs.cend(), [&](const Grab &grab) {
        return grab.keycode == key->detail && (type == XCB_KEY_RELEASE || grab.modifiers == modifiers);
    });
    if (grabbed == m_grabs.cend())
        return false;
    if (type == XCB_KEY_RELEASE) {
        if (key->detail == m_down) {
            m_down = 0;
            m_released = key->detail;
            m_releaseTime = key->time;
        }
        return key->event == m_root;
    }
    const bool repeat = key->detail == m_down || (key->detail == m_released && key->time == m_releaseTime);
    m_down = key->detail;
    if (!repeat) {
        const BrimShortcutAction action = grabbed->action;
        // With the action's end, this times a press (bench/shortcut_latency.sh).
        qCDebug(lcPlatform) << "shortcut key pressed";
        // Run after Qt is done with this event, not inside its dispatch.
        QMetaObject::invokeMethod(this, [this, action] { Q_EMIT activated(action); }, Qt::QueuedConnection);
    }
    return true;
}

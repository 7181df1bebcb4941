#pragma once
// Global shortcuts on an X11 session: each key combination grabbed on the
// root window (also with NumLock and CapsLock on), its presses taken from Qt's
// own X connection before Qt sees them. The focus never moves. A combination
// that another program holds is refused by the server and reported, as is
// one that no key of the keyboard types.

#include "models/BrimGlobalShortcuts.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <map>
#include <cstdint>

struct xcb_connection_t;

class X11KeyGrabs final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11KeyGrabs(QObject *parent = nullptr);
    ~X11KeyGrabs() override;

    // An X11 session with Qt on xcb. Under XWayland a root-window grab sees
    // only keys pressed in X windows, so Wayland sessions are left out.
    static bool supported();

    // Grabs exactly these keys, letting go of all others.
    void grab(const BrimGlobalShortcuts::Keys &keys);
    void release() { grab({}); }
    BrimShortcutKeyProblem problem(BrimShortcutAction action) const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // Once per press; holding the keys down does not repeat it.
    void activated(BrimShortcutAction action);
    // The keyboard mapping changed and the keys were grabbed again.
    void regrabbed();

private:
    struct Grab {
        std::uint8_t keycode;
        std::uint16_t modifiers;
        BrimShortcutAction action;
    };
    struct Masks {
        std::uint16_t alt, super, numLock;
    };
    Masks modifierMasks() const;
    void ungrabAll();

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint16_t m_relevant = 0;
    BrimGlobalShortcuts::Keys m_keys;
    QList<Grab> m_grabs;
    std::map<BrimShortcutAction::Value, BrimShortcutKeyProblem> m_problems;
    // The grabbed key held down, and the last release: an auto-repeat
    // arrives as a release and a press with the same time.
    std::uint8_t m_down = 0;
    std::uint8_t m_released = 0;
    std::uint32_t m_releaseTime = 0;
};

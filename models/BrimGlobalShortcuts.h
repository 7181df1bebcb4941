#pragma once
// Shortcuts that work while another program has the keyboard, in whatever
// way the desktop allows: its shortcut service, which lets the user assign
// the keys there, or keys the app grabs itself. Everything arrives on the
// main thread and is event-driven: nothing is polled.

#include "core/BrimShortcutAction.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <map>

enum class BrimShortcutMechanism {
    // Still asking the desktop.
    unknown,
    // Neither a shortcut service nor key grabs: shortcuts cannot work.
    none,
    // The keys the user chose, grabbed from the X server.
    keyGrabs,
    // The desktop's shortcut service; it decides the triggers.
    desktopService,
};

// Why a key the user chose does not work.
enum class BrimShortcutKeyProblem {
    none,
    // Another program holds it.
    heldElsewhere,
    // No key of the keyboard types it.
    notOnKeyboard,
};

class BrimGlobalShortcuts {
public:
    // One key combination per action that has one.
    using Keys = std::map<BrimShortcutAction::Value, QKeySequence>;
    struct Handlers {
        std::function<void(BrimShortcutAction)> activated;
        // The mechanism, the key problems or the desktop's triggers changed.
        std::function<void()> changed;
    };

    virtual ~BrimGlobalShortcuts() = default;

    // Finds a mechanism and puts the keys in effect; replaces earlier handlers.
    virtual void start(Handlers handlers, Keys keys) = 0;
    // Grabbed at once, or offered to the shortcut service as the preferred
    // triggers the next time the app binds its actions there.
    virtual void setKeys(Keys keys) = 0;
    virtual BrimShortcutMechanism mechanism() const = 0;
    // With key grabs: why the action's key does not work, if it does not.
    virtual BrimShortcutKeyProblem keyProblem(BrimShortcutAction action) const = 0;
    // With the shortcut service: how it says the action is triggered; empty
    // when no trigger is assigned.
    virtual QString trigger(BrimShortcutAction action) const = 0;
    // With the shortcut service: asks the desktop to let the user change the triggers.
    virtual void configure() = 0;
    // Lets go of every key and session; nothing is activated afterwards.
    virtual void stop() = 0;
};

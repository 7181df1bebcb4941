#pragma once
// What the update controller needs from an updater framework. Linux builds
// ship none (a packaged app is updated by its package manager), so the
// controller gets no factory there and stays "not published"; tests put a
// double behind this interface.

#include "core/Result.h"
#include "updates/AppUpdateError.h"

#include <functional>
#include <memory>

class AppUpdaterDelegate;

class AppUpdater {
public:
    enum class Setting { canCheckForUpdates, automaticallyChecksForUpdates, automaticallyDownloadsUpdates };
    using Observer = std::function<void(Setting, bool)>;
    // Creates an updater that is not started yet and reports to the delegate.
    using Factory = std::function<std::unique_ptr<AppUpdater>(AppUpdaterDelegate &)>;

    virtual ~AppUpdater() = default;

    virtual void setSendsSystemProfile(bool on) = 0;
    // Calls the observer at once with each setting's current value, then on
    // every change, always on the main thread.
    virtual void observe(Observer observer) = 0;
    virtual Result<void, AppUpdateError> start() = 0;
    // A user-initiated check with the updater's own interface.
    virtual void checkForUpdates() = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool on) = 0;
};

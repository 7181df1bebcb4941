#pragma once
// The updater's questions and reports to its host, all on the main thread.

#include "updates/AppUpdateError.h"
#include "updates/AppUpdateItem.h"

#include <QStringList>
#include <functional>
#include <optional>

class AppUpdaterDelegate {
public:
    // True holds the installation back until installHandler is called.
    virtual bool shouldPostponeRelaunch(const AppUpdateItem &item, std::function<void()> installHandler) = 0;
    virtual void didFindValidUpdate(const AppUpdateItem &item) = 0;
    virtual void didDownloadUpdate(const AppUpdateItem &item) = 0;
    virtual void willInstallUpdate(const AppUpdateItem &item) = 0;
    virtual void didAbort(const AppUpdateError &error) = 0;
    virtual void didFinishUpdateCycle(const std::optional<AppUpdateError> &error) = 0;
    virtual QStringList allowedSystemProfileKeys() const = 0;

protected:
    ~AppUpdaterDelegate() = default;
};

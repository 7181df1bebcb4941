#pragma once
// The desktop's service that starts the application when the user logs in.
// Main thread; registering and unregistering may take a while (files, a
// portal dialog) and never block the caller.

#include "core/Result.h"
#include "services/LoginItemStatus.h"

#include <QString>
#include <QCoro/QCoroTask>

class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    virtual LoginItemStatus status() = 0;
    // Failures carry a description for the user.
    virtual QCoro::Task<Result<void, QString>> registerItem() = 0;
    virtual QCoro::Task<Result<void, QString>> unregisterItem() = 0;
    // The desktop's own settings for programs started at login, where one is known.
    virtual bool canOpenSettings() const = 0;
    virtual void openSettings() = 0;
};

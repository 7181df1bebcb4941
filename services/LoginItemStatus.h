#pragma once
// The login item's state as the login-item service reports it.

enum class LoginItemStatus {
    notRegistered = 0,
    enabled = 1,
    // Asked for, but the desktop has not (yet) allowed it.
    requiresApproval = 2,
    notFound = 3,
};

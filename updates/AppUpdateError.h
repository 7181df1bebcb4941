#pragma once
// An error reported by the updater: its domain, numeric code and the
// updater's own description of it.

#include <QString>

struct AppUpdateError {
    // The updater's own domain; errors from elsewhere (network, files) keep theirs.
    static QString updaterDomain() { return QStringLiteral("app.ostrel.updater"); }
    enum Code {
        noUpdateFound = 1001,
        installationCanceled = 4007,
        installationPostponed = 4008,
    };

    QString domain;
    int code = 0;
    QString localizedDescription;

    bool isUpdaterError(Code expected) const { return domain == updaterDomain() && code == expected; }
};

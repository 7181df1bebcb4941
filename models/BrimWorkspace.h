#pragma once
// Installed applications as the links and apps tools see them: find one by
// its identifier, list Chrome's profiles, start one with arguments. The
// identifier is the application's id (a browser's "org.mozilla.firefox", a
// sibling's "app.ostrel.notes"); how it maps to what is installed is the
// platform's business.

#include "core/Result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// One profile of Chrome's profile list: its directory name and the name the
// user gave it (the directory name when it has none).
struct BrimChromeProfile {
    QString directory;
    QString name;

    friend bool operator==(const BrimChromeProfile &, const BrimChromeProfile &) = default;
};

// An installed application that opens web addresses.
struct BrimWebApp {
    // The platform's own id for it (on Linux its desktop-file id).
    QString identifier;
    QString name;
    // Where it is installed.
    QUrl location;

    friend bool operator==(const BrimWebApp &, const BrimWebApp &) = default;
};

struct BrimLaunchError {
    enum Kind {
        // The application or its program is gone.
        notFound,
        // The program is there but could not be started.
        startFailed,
    };
    Kind kind = notFound;
    // The platform's description of what went wrong.
    QString description;
};

class BrimWorkspace {
public:
    virtual ~BrimWorkspace() = default;

    // Where the installed application with this identifier lives, or nothing.
    virtual std::optional<QUrl> applicationURL(const QString &identifier) const = 0;
    // Every installed application that says it opens web addresses, each
    // once, in no particular order.
    virtual QList<BrimWebApp> webBrowsers() const = 0;
    // The profiles that Chrome installed at this location keeps, in display
    // order; empty when they cannot be read.
    virtual QList<BrimChromeProfile> chromeProfiles(const QUrl &chrome) const = 0;
    // Starts the application without waiting for it, handing it the
    // arguments where it takes the addresses to open. Returns once the
    // program has started or failed to start.
    virtual Result<void, BrimLaunchError> launch(const QUrl &application, const QStringList &arguments) = 0;
};

#pragma once
// One choice of the links tool's browser picker: an installed browser, or one
// Chrome profile. Discovery rebuilds the list each time the panel opens;
// only the chosen id is stored.

#include "models/BrimWorkspace.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

struct BrimBrowser {
    // The browser's identifier, or for a Chrome profile the identifier, ":"
    // and the profile's directory ("com.google.Chrome:Profile 1"). A browser
    // outside the known table goes by the platform's id for it.
    QString id;
    QString title;
    // Where the browser is installed.
    QUrl app;
    // Chrome profile directory; absent for a plain browser.
    std::optional<QString> profile;

    static inline const QString chromeIdentifier = QStringLiteral("com.google.Chrome");

    // The known browsers that are installed, in table order with each Chrome
    // profile right after Chrome, then every other installed browser by
    // name. Never fails: what cannot be read is left out.
    static QList<BrimBrowser> discover(const BrimWorkspace &workspace);

    // Opens the address with this choice. failure gets a user-facing text, at
    // most once and only when opening failed; success is silent.
    void open(const QString &url, BrimWorkspace &workspace, const std::function<void(const QString &)> &failure) const;

    friend bool operator==(const BrimBrowser &, const BrimBrowser &) = default;
};

size_t qHash(const BrimBrowser &browser, size_t seed = 0) noexcept;

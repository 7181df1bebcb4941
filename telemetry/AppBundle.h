#pragma once
// What the application knows about itself: the Linux stand-in for the
// bundle's Info values. `main()` reads the build settings; tests build their own.

#include <QString>
#include <optional>

struct AppBundle {
    std::optional<QString> identifier;
    std::optional<QString> shortVersion;
    std::optional<QString> buildNumber;
    std::optional<QString> displayName;
    std::optional<QString> bundleName;
    std::optional<QString> tellixEndpoint;
    std::optional<QString> tellixKey;
    std::optional<QString> updateFeed;
    std::optional<QString> updateKey;
    // Any value marks a review build.
    std::optional<QString> reviewLibrary;

    // The running build's own values (generated BuildInfo.h); empty settings count as missing.
    static AppBundle main();

    // Display name, else bundle name, else "Ostrel".
    QString appName() const;
};

#pragma once
// What the desktop portals answer, read strictly: an answer of another shape
// counts as no answer, never as some value. Pure functions over messages as
// Qt D-Bus delivers them; the adapters use them, and fuzz/ feeds them
// whatever a peer on the bus could send.

#include "core/Result.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <array>
#include <optional>

namespace PortalResults {

struct Response {
    // 0 success, 1 cancelled by the user, 2 ended otherwise.
    uint code = 2;
    QVariantMap results;
};

// A Request's Response signal, (ua{sv}).
std::optional<Response> response(const QDBusMessage &signal);

// Screenshot.PickColor's "color", (ddd), in sRGB.
std::optional<std::array<double, 3>> color(const QVariantMap &results);

// Background.RequestBackground's "autostart": granted only as the boolean true.
bool autostartGranted(const QVariantMap &results);

// Inhibit's reply: the request handle. The error is the portal's own, or
// InvalidSignature for an answer that is not one handle.
Result<QDBusObjectPath, QDBusError> inhibitHandle(const QDBusMessage &reply);

} // namespace PortalResults

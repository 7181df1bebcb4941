#pragma once
// Names shared by calls to the desktop portal, whose answers arrive later as a
// Response signal on a request object.

#include <QDBusConnection>
#include <QString>

namespace PortalRequest {
inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString interface = QStringLiteral("org.freedesktop.portal.Request");

// The request object the portal derives from our unique name and the
// handle_token we pass, known before the call so its Response cannot slip
// past us. Empty when the connection has no unique name.
inline QString expectedPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService();
    if (sender.isEmpty())
        return {};
    sender.remove(0, 1); // the leading ':'
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return path + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}
} // namespace PortalRequest

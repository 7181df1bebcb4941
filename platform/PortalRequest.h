#pragma once
// One call to an xdg-desktop-portal method that answers through a Request
// object's Response signal (possibly after a dialog). The Response is
// subscribed before the call, at the handle our token predicts, so a fast
// answer is never missed.

#include "core/Result.h"
#include "models/BrimCompletion.h"
#include "platform/PortalResults.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QCoro/QCoroTask>
#include <chrono>
#include <memory>
#include <optional>

class PortalRequest : public QObject {
    Q_OBJECT

public:
    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interface = QStringLiteral("org.freedesktop.portal.Request");

    // The request object the portal derives from our unique name and the
    // handle_token we pass, known before the call so its Response cannot slip
    // past us. Empty when the connection has no unique name.
    static QString expectedPath(const QDBusConnection &bus, const QString &token)
    {
        QString sender = bus.baseService();
        if (sender.isEmpty())
            return {};
        sender.remove(0, 1); // the leading ':'
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return path + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    }

    using Response = PortalResults::Response;

    // `arguments` come before the options map; handle_token is added to `options`.
    // Fails with a description when the call fails or nothing answers in time.
    static QCoro::Task<Result<Response, QString>> call(QDBusConnection bus, QString interface, QString method,
                                                      QVariantList arguments, QVariantMap options,
                                                      std::chrono::milliseconds timeout);

private Q_SLOTS:
    void onResponse(uint code, const QVariantMap &results);

private:
    bool subscribe(QDBusConnection &bus, const QString &path);
    void unsubscribe(QDBusConnection &bus);

    QString m_path;
    std::optional<Response> m_response;
    // Finished once: by the answer, or by the time-out.
    std::shared_ptr<BrimCompletion> m_settled = std::make_shared<BrimCompletion>();
};

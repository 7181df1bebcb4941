#include "platform/PortalResults.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace PortalResults {

std::optional<Response> response(const QDBusMessage &signal)
{
    const QVariantList arguments = signal.arguments();
    if (signal.signature() != QLatin1String("ua{sv}") || arguments.size() != 2)
        return std::nullopt;
    Response answer;
    answer.code = arguments.at(0).toUInt();
    answer.results = qdbus_cast<QVariantMap>(arguments.at(1));
    return answer;
}

std::optional<std::array<double, 3>> color(const QVariantMap &results)
{
    const QVariant value = results.value(QStringLiteral("color"));
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return std::nullopt;
    std::array<double, 3> srgb{};
    argument.beginStructure();
    argument >> srgb[0] >> srgb[1] >> srgb[2];
    argument.endStructure();
    return srgb;
}

bool autostartGranted(const QVariantMap &results)
{
    const QVariant value = results.value(QStringLiteral("autostart"));
    return value.metaType() == QMetaType::fromType<bool>() && value.toBool();
}

Result<QDBusObjectPath, QDBusError> inhibitHandle(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Failure{QDBusError(reply)};
    const QVariantList arguments = reply.arguments();
    if (reply.signature() != QLatin1String("o") || arguments.size() != 1)
        return Failure{QDBusError(QDBusError::InvalidSignature, QStringLiteral("not one request handle"))};
    const QDBusObjectPath handle = arguments.at(0).value<QDBusObjectPath>();
    if (handle.path().isEmpty())
        return Failure{QDBusError(QDBusError::InvalidSignature, QStringLiteral("an empty request handle"))};
    return handle;
}

} // namespace PortalResults

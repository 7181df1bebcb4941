// What the notification server and the bus can answer us: replies of any
// shape, or errors of any name, built from the bytes and sent back over a
// real connection (a socket between two peers), then read as the
// notification adapters read them. They must not crash, and must take only
// the documented types.
#include "fuzz/FuzzBus.h"
#include "fuzz/FuzzDBusInput.h"
#include "fuzz/FuzzSupport.h"
#include "platform/NotificationAnswers.h"

#include <QCoreApplication>
#include <QDBusVirtualObject>

namespace {

const char *const errorNames[] = {"org.freedesktop.DBus.Error.NoReply", "org.freedesktop.DBus.Error.Timeout",
                                  "org.freedesktop.DBus.Error.Disconnected", "org.freedesktop.DBus.Error.UnknownProperty",
                                  "org.freedesktop.DBus.Error.ServiceUnknown"};

// Answers each call with its own arguments, or with the error it names.
class Echo final : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QVariantList arguments = message.arguments();
        if (message.member() == QLatin1String("Fail") && !arguments.isEmpty())
            connection.send(message.createErrorReply(arguments.first().toString(), QStringLiteral("failed")));
        else
            connection.send(message.createReply(arguments));
        return true;
    }
};

// The call that brings one answer: mostly of the type asked for, with any
// contents; any values; or an error.
QDBusMessage answer(FuzzDBusInput &in, const QVariant &expected)
{
    const std::uint8_t shape = in.byte() % 4;
    QDBusMessage call = QDBusMessage::createMethodCall(QString(), QStringLiteral("/fuzz"), QStringLiteral("fuzz.Echo"),
                                                       shape == 2 ? QStringLiteral("Fail") : QStringLiteral("Echo"));
    switch (shape) {
    case 0: call.setArguments({expected}); break;
    case 1: call.setArguments(in.any()); break;
    case 2: call.setArguments({QLatin1String(errorNames[in.byte() % std::size(errorNames)])}); break;
    default: call.setArguments({in.value(0)}); break;
    }
    return call;
}

// Typed replies take their type from the first arguments; more may follow.
bool isReply(const QDBusMessage &message, const char *signature)
{
    return message.type() == QDBusMessage::ReplyMessage && message.signature().startsWith(QLatin1String(signature));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzPeersServing(argc, argv, new Echo);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using Settings = BrimTimerNotificationSettings;
    FuzzDBusInput in(data, size, {"org.freedesktop.Notifications", "sound", "body", "actions"});
    const QString server = QStringLiteral("org.freedesktop.Notifications");
    QList<QDBusMessage> calls;
    calls << answer(in, bool(in.byte() & 1));
    calls << answer(in, QStringList{in.key(), in.key()});
    calls << answer(in, QVariant::fromValue(QDBusVariant(in.value(1))));
    calls << answer(in, QVariant::fromValue(QDBusVariant(in.value(1))));
    calls << answer(in, QStringList{in.key(), in.key(), in.key()});
    calls << answer(in, in.number<quint32>());
    const QList<QDBusMessage> answers = fuzzCallAll(calls);
    const QDBusMessage &owner = answers[0], &names = answers[1], &inhibited = answers[2], &paused = answers[3],
                       &capabilities = answers[4], &id = answers[5];

    const Settings settings = NotificationAnswers::settings(owner, names, inhibited, paused);
    const bool running = isReply(owner, "b") && owner.arguments().first().toBool();
    const bool startable = isReply(names, "as") && names.arguments().first().toStringList().contains(server);
    FUZZ_CHECK((settings.authorizationStatus == Settings::AuthorizationStatus::authorized) == (running || startable));
    const auto on = [](const QDBusMessage &reply) {
        return isReply(reply, "v") && reply.arguments().first().value<QDBusVariant>().variant().metaType() == QMetaType::fromType<bool>()
            && reply.arguments().first().value<QDBusVariant>().variant().toBool();
    };
    if (settings.alertSetting == Settings::AlertSetting::disabled)
        FUZZ_CHECK(on(inhibited) || on(paused));

    FUZZ_CHECK(NotificationAnswers::capabilities(capabilities).has_value() == isReply(capabilities, "as"));
    FUZZ_CHECK(NotificationAnswers::notificationId(id).ok() == isReply(id, "u"));
    return 0;
}

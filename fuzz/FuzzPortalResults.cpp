// What a portal, or anything else on the bus, can answer: the bytes build a
// message of any shape and types (structures, maps, nested variants), which
// goes through Qt D-Bus's own marshalling and back (a call on our own
// connection) before the portal readers see it. They must not crash, and
// must accept only the shapes they name.
#include "fuzz/FuzzBus.h"
#include "fuzz/FuzzDBusInput.h"
#include "fuzz/FuzzSupport.h"
#include "platform/PortalResults.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QDBusVirtualObject>


namespace {

// The arguments of one answer: mostly the shapes the portals use, with any contents.
QVariantList arguments(FuzzDBusInput &in)
{
    switch (in.byte() % 4) {
    case 0: return {in.number<quint32>() % 4, in.map(0)}; // a Response
    case 1: return {QVariant::fromValue(in.objectPath())}; // Inhibit's handle
    default: return in.any();
    }
}

void check(const QDBusMessage &message)
{
    if (const auto answer = PortalResults::response(message)) {
        FUZZ_CHECK(message.signature() == QLatin1String("ua{sv}"));
        const QVariant color = answer->results.value(QStringLiteral("color"));
        if (PortalResults::color(answer->results))
            FUZZ_CHECK(color.value<QDBusArgument>().currentSignature() == QLatin1String("(ddd)"));
        if (PortalResults::autostartGranted(answer->results))
            FUZZ_CHECK(answer->results.value(QStringLiteral("autostart")).metaType() == QMetaType::fromType<bool>());
    }
    const auto handle = PortalResults::inhibitHandle(message);
    if (handle.ok())
        FUZZ_CHECK(message.signature() == QLatin1String("o") && !handle.value().path().isEmpty());
    else
        FUZZ_CHECK(handle.error().type() == QDBusError::InvalidSignature);
}

// Receives the fuzzed call as it comes off the wire format.
class Receiver final : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        ++received;
        check(message);
        connection.send(message.createReply());
        return true;
    }
    int received = 0;
};

Receiver *receiver = nullptr;
QDBusConnection *bus = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    receiver = new Receiver;
    bus = fuzzBusServing(argc, argv, receiver);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzDBusInput in(data, size, {"color", "autostart", "background", "uris", "choices", "reason"});
    QDBusMessage call = QDBusMessage::createMethodCall(bus->baseService(), QStringLiteral("/fuzz"),
                                                       QStringLiteral("org.freedesktop.portal.Request"),
                                                       QStringLiteral("Response"));
    call.setArguments(arguments(in));
    const int before = receiver->received;
    const QDBusMessage reply = bus->call(call);
    // Qt refuses to send what D-Bus cannot carry (an empty structure, say); anything sent arrives.
    FUZZ_CHECK(reply.type() == QDBusMessage::ErrorMessage || receiver->received == before + 1);
    // The error reply of a call is read as no handle, too.
    if (reply.type() == QDBusMessage::ErrorMessage)
        FUZZ_CHECK(!PortalResults::inhibitHandle(reply).ok());
    return 0;
}

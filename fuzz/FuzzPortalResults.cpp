// What a portal, or anything else on the bus, can answer: the bytes build a
// message of any shape and types (structures, maps, nested variants), which
// goes through Qt D-Bus's own marshalling and back (a call on our own
// connection) before the portal readers see it. They must not crash, and
// must accept only the shapes they name.
#include "fuzz/FuzzBus.h"
#include "fuzz/FuzzSupport.h"
#include "platform/PortalResults.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QDBusVirtualObject>


namespace {

// Reads the input front to back; past its end every read is zero.
class Bytes {
public:
    Bytes(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    template <class T>
    T number()
    {
        T value{};
        auto *raw = reinterpret_cast<std::uint8_t *>(&value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            raw[i] = byte();
        return value;
    }
    QString text()
    {
        QByteArray utf8;
        for (int n = byte() % 24; n > 0; --n)
            utf8.append(char(byte()));
        return QString::fromUtf8(utf8);
    }
    bool done() const { return m_at >= m_size; }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

const char *const keys[] = {"color", "autostart", "background", "uris", "choices", "reason"};

QString key(Bytes &in)
{
    const std::uint8_t pick = in.byte();
    return pick < 200 ? QLatin1String(keys[pick % std::size(keys)]) : in.text();
}

QDBusObjectPath objectPath(Bytes &in)
{
    QString path = QStringLiteral("/org/freedesktop/portal/desktop/request");
    for (int n = in.byte() % 3; n > 0; --n)
        path += QStringLiteral("/p") + QString::number(in.byte());
    return QDBusObjectPath(in.byte() % 8 == 0 ? QStringLiteral("/") : path);
}

QVariant value(Bytes &in, int depth);

// A structure of basic members: (ddd) often, anything else too.
QVariant structure(Bytes &in)
{
    QDBusArgument argument;
    argument.beginStructure();
    const std::uint8_t shape = in.byte();
    const int members = shape < 128 ? 3 : 1 + shape % 5;
    for (int i = 0; i < members; ++i) {
        switch (shape < 128 ? 0 : in.byte() % 4) {
        case 0: argument << in.number<double>(); break;
        case 1: argument << in.number<qint32>(); break;
        case 2: argument << in.text(); break;
        default: argument << bool(in.byte() & 1); break;
        }
    }
    argument.endStructure();
    return QVariant::fromValue(argument);
}

QVariantMap map(Bytes &in, int depth)
{
    QVariantMap entries;
    for (int n = in.byte() % 5; n > 0 && !in.done(); --n)
        entries.insert(key(in), value(in, depth + 1));
    return entries;
}

QVariant value(Bytes &in, int depth)
{
    switch (in.byte() % (depth > 3 ? 10 : 14)) {
    case 0: return bool(in.byte() & 1);
    case 1: return QVariant::fromValue(in.number<uchar>());
    case 2: return QVariant::fromValue(in.number<qint16>());
    case 3: return QVariant::fromValue(in.number<quint32>());
    case 4: return QVariant::fromValue(in.number<qint64>());
    case 5: return in.number<double>();
    case 6: return in.text();
    case 7: return QVariant::fromValue(objectPath(in));
    case 8: return QVariant::fromValue(QDBusSignature(in.byte() & 1 ? QStringLiteral("(ddd)") : QStringLiteral("b")));
    case 9: return QStringList{in.text(), in.text()};
    case 10: return QVariant::fromValue(QDBusVariant(value(in, depth + 1)));
    case 11:
    case 12: return structure(in);
    default: return map(in, depth);
    }
}

// The arguments of one answer: mostly the shapes the portals use, with any contents.
QVariantList arguments(Bytes &in)
{
    switch (in.byte() % 4) {
    case 0: return {in.number<quint32>() % 4, map(in, 0)}; // a Response
    case 1: return {QVariant::fromValue(objectPath(in))};  // Inhibit's handle
    default: {
        QVariantList any;
        for (int n = in.byte() % 4; n > 0; --n)
            any.append(value(in, 0));
        return any;
    }
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

// Kept to the end of the process: torn down at exit, the connection would
// outlive the application object it needs.
QCoreApplication *application = nullptr;
Receiver *receiver = nullptr;
QDBusConnection *bus = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    application = new QCoreApplication(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    bus = new QDBusConnection(fuzzBus());
    FUZZ_CHECK(bus->isConnected());
    receiver = new Receiver;
    FUZZ_CHECK(bus->registerVirtualObject(QStringLiteral("/fuzz"), receiver));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Bytes in(data, size);
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

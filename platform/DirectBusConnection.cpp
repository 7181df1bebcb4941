#include "platform/DirectBusConnection.h"

#include "platform/PlatformLogging.h"

#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <dbus/dbus.h>

using Clock = std::chrono::steady_clock;

namespace {

// Owns a DBusMessage reference.
struct MessageRef {
    DBusMessage *message;
    ~MessageRef() { if (message) dbus_message_unref(message); }
};

bool appendBasic(DBusMessageIter *iter, const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString: {
        const QByteArray utf8 = value.toString().toUtf8();
        if (utf8.contains('\0')) // libdbus takes C strings
            return false;
        const char *text = utf8.constData();
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_STRING, &text);
    }
    case QMetaType::Bool: {
        const dbus_bool_t flag = value.toBool();
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_BOOLEAN, &flag);
    }
    case QMetaType::Int: {
        const dbus_int32_t number = value.toInt();
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_INT32, &number);
    }
    case QMetaType::UInt: {
        const dbus_uint32_t number = value.toUInt();
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_UINT32, &number);
    }
    default:
        return false;
    }
}

const char *basicSignature(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString: return DBUS_TYPE_STRING_AS_STRING;
    case QMetaType::Bool: return DBUS_TYPE_BOOLEAN_AS_STRING;
    case QMetaType::Int: return DBUS_TYPE_INT32_AS_STRING;
    case QMetaType::UInt: return DBUS_TYPE_UINT32_AS_STRING;
    default: return nullptr;
    }
}

// A container left half-built is abandoned, so the message stays sound.
bool appendArgument(DBusMessageIter *iter, const QVariant &value)
{
    DBusMessageIter inner;
    if (value.metaType().id() == QMetaType::QStringList) {
        if (!dbus_message_iter_open_container(iter, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING, &inner))
            return false;
        for (const QString &text : value.toStringList()) {
            if (!appendBasic(&inner, text)) {
                dbus_message_iter_abandon_container(iter, &inner);
                return false;
            }
        }
        return dbus_message_iter_close_container(iter, &inner);
    }
    if (value.metaType().id() == QMetaType::QVariantMap) {
        if (!dbus_message_iter_open_container(iter, DBUS_TYPE_ARRAY, "{sv}", &inner))
            return false;
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            DBusMessageIter entry;
            DBusMessageIter variant;
            const char *signature = basicSignature(it.value());
            bool ok = signature && dbus_message_iter_open_container(&inner, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
            if (ok && !(appendBasic(&entry, it.key())
                        && dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant))) {
                dbus_message_iter_abandon_container(&inner, &entry);
                ok = false;
            }
            if (ok && !appendBasic(&variant, it.value())) {
                dbus_message_iter_abandon_container(&entry, &variant);
                dbus_message_iter_abandon_container(&inner, &entry);
                ok = false;
            }
            if (ok)
                ok = dbus_message_iter_close_container(&entry, &variant) && dbus_message_iter_close_container(&inner, &entry);
            if (!ok) {
                dbus_message_iter_abandon_container(iter, &inner);
                return false;
            }
        }
        return dbus_message_iter_close_container(iter, &inner);
    }
    return appendBasic(iter, value);
}

DBusMessage *toLibdbus(const QDBusMessage &call)
{
    if (call.type() != QDBusMessage::MethodCallMessage)
        return nullptr;
    const QByteArray service = call.service().toUtf8(), path = call.path().toUtf8();
    const QByteArray interface = call.interface().toUtf8(), member = call.member().toUtf8();
    if (!dbus_validate_bus_name(service.constData(), nullptr) || !dbus_validate_path(path.constData(), nullptr)
        || !dbus_validate_interface(interface.constData(), nullptr) || !dbus_validate_member(member.constData(), nullptr))
        return nullptr;
    MessageRef message{dbus_message_new_method_call(service.constData(), path.constData(), interface.constData(),
                                                    member.constData())};
    if (!message.message)
        return nullptr;
    dbus_message_set_auto_start(message.message, call.autoStartService());
    DBusMessageIter iter;
    dbus_message_iter_init_append(message.message, &iter);
    for (const QVariant &argument : call.arguments()) {
        if (!appendArgument(&iter, argument))
            return nullptr;
    }
    return std::exchange(message.message, nullptr);
}

QVariant basicValue(DBusMessageIter *iter)
{
    DBusBasicValue value{};
    switch (dbus_message_iter_get_arg_type(iter)) {
    case DBUS_TYPE_BOOLEAN: dbus_message_iter_get_basic(iter, &value); return bool(value.bool_val);
    case DBUS_TYPE_INT32: dbus_message_iter_get_basic(iter, &value); return int(value.i32);
    case DBUS_TYPE_UINT32: dbus_message_iter_get_basic(iter, &value); return uint(value.u32);
    case DBUS_TYPE_STRING:
    case DBUS_TYPE_OBJECT_PATH:
    case DBUS_TYPE_SIGNATURE: dbus_message_iter_get_basic(iter, &value); return QString::fromUtf8(value.str);
    default: return QVariant();
    }
}

void fill(DirectBusConnection::Answer &answer, DBusMessage *reply)
{
    DBusMessageIter iter;
    const bool any = dbus_message_iter_init(reply, &iter);
    if (dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_ERROR) {
        const QVariant text = any ? basicValue(&iter) : QVariant();
        answer.error = QDBusError(QDBusMessage::createError(QString::fromUtf8(dbus_message_get_error_name(reply)), text.toString()));
    } else {
        answer.signature = QString::fromUtf8(dbus_message_get_signature(reply));
        for (bool more = any; more; more = dbus_message_iter_next(&iter))
            answer.arguments.append(basicValue(&iter));
    }
    answer.done = true;
}

} // namespace

struct DirectBusConnection::Line::State {
    struct Waiting {
        std::shared_ptr<Answer> answer;
        Clock::time_point deadline;
    };

    DBusConnection *connection = nullptr;
    // Held across a send and its entry here, so that its reply, read on the
    // owner's thread, always finds the entry.
    QMutex waitingMutex;
    QHash<dbus_uint32_t, Waiting> waiting;
    // Guards only the owner, which libdbus's callbacks reach from any thread.
    QMutex ownerMutex;
    DirectBusConnection *owner = nullptr;

    void post(void (DirectBusConnection::*method)())
    {
        const QMutexLocker lock(&ownerMutex);
        if (owner)
            QMetaObject::invokeMethod(owner, method, Qt::QueuedConnection);
    }
};

DirectBusConnection::Line::~Line()
{
    if (d && d->connection) {
        dbus_connection_close(d->connection);
        dbus_connection_unref(d->connection);
    }
}

std::unique_ptr<DirectBusConnection::Line::Prepared> DirectBusConnection::Line::prepare(const QDBusMessage &call)
{
    MessageRef message{toLibdbus(call)};
    if (!message.message)
        return nullptr;
    DBusPreallocatedSend *slot = dbus_connection_preallocate_send(d->connection);
    if (!slot)
        return nullptr;
    return std::unique_ptr<Prepared>(new Prepared(shared_from_this(), std::exchange(message.message, nullptr), slot));
}

bool DirectBusConnection::Line::send(std::unique_ptr<Prepared> call, std::chrono::milliseconds timeout,
                                     std::shared_ptr<Answer> answer)
{
    if (!call || call->m_line.get() != this)
        return false;
    {
        const QMutexLocker lock(&d->waitingMutex);
        if (!dbus_connection_get_is_connected(d->connection))
            return false;
        dbus_uint32_t serial = 0;
        dbus_connection_send_preallocated(d->connection, std::exchange(call->m_slot, nullptr), call->m_message, &serial);
        d->waiting.insert(serial, {std::move(answer), Clock::now() + timeout});
    }
    // libdbus writes in the send when the socket takes it all; what it could
    // not write goes now.
    if (dbus_connection_has_messages_to_send(d->connection))
        dbus_connection_flush(d->connection);
    d->post(&DirectBusConnection::scheduleExpiry);
    return true;
}

DirectBusConnection::Line::Prepared::~Prepared()
{
    if (m_slot)
        dbus_connection_free_preallocated_send(m_line->d->connection, m_slot);
    dbus_message_unref(m_message);
}

DirectBusConnection *DirectBusConnection::open(const QString &address, QObject *parent)
{
    dbus_threads_init_default();
    DBusError error;
    dbus_error_init(&error);
    DBusConnection *connection = dbus_connection_open_private(address.toUtf8().constData(), &error);
    if (connection && !dbus_bus_register(connection, &error)) {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        connection = nullptr;
    }
    if (!connection) {
        qCWarning(lcPlatform) << "No connection of our own to the bus:" << error.message;
        dbus_error_free(&error);
        return nullptr;
    }
    auto line = std::shared_ptr<Line>(new Line);
    line->d = std::make_unique<Line::State>();
    line->d->connection = connection;
    return new DirectBusConnection(std::move(line), parent);
}

DirectBusConnection::DirectBusConnection(std::shared_ptr<Line> line, QObject *parent)
    : QObject(parent)
    , m_line(std::move(line))
{
    Line::State *state = m_line->d.get();
    state->owner = this;
    DBusHandleMessageFunction onMessage = [](DBusConnection *, DBusMessage *message, void *data) {
        auto *state = static_cast<Line::State *>(data);
        const int type = dbus_message_get_type(message);
        if (type != DBUS_MESSAGE_TYPE_METHOD_RETURN && type != DBUS_MESSAGE_TYPE_ERROR)
            return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
        std::optional<Line::State::Waiting> waiting;
        {
            const QMutexLocker lock(&state->waitingMutex);
            if (auto it = state->waiting.find(dbus_message_get_reply_serial(message)); it != state->waiting.end())
                waiting = state->waiting.take(it.key());
        }
        if (!waiting)
            return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
        fill(*waiting->answer, message);
        return DBUS_HANDLER_RESULT_HANDLED;
    };
    dbus_connection_add_filter(state->connection, onMessage, state, nullptr);
    // Whatever thread read the bytes, they are handled here.
    dbus_connection_set_dispatch_status_function(
        state->connection,
        [](DBusConnection *, DBusDispatchStatus status, void *data) {
            if (status == DBUS_DISPATCH_DATA_REMAINS)
                static_cast<Line::State *>(data)->post(&DirectBusConnection::dispatch);
        },
        state, nullptr);

    int socket = -1;
    dbus_connection_get_unix_fd(state->connection, &socket);
    m_readable = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &DirectBusConnection::dispatch);
    m_expiry = new QTimer(this);
    m_expiry->setSingleShot(true);
    connect(m_expiry, &QTimer::timeout, this, &DirectBusConnection::expire);
    dispatch(); // what came with the registration
}

DirectBusConnection::~DirectBusConnection()
{
    Line::State *state = m_line->d.get();
    {
        const QMutexLocker lock(&state->ownerMutex);
        state->owner = nullptr;
    }
    dbus_connection_set_dispatch_status_function(state->connection, nullptr, nullptr, nullptr);
    // Closed here, so that a send from another thread now fails and goes another way.
    dbus_connection_close(state->connection);
    QHash<dbus_uint32_t, Line::State::Waiting> waiting;
    {
        const QMutexLocker lock(&state->waitingMutex);
        waiting.swap(state->waiting);
    }
    for (const Line::State::Waiting &call : std::as_const(waiting)) {
        call.answer->error = QDBusError(QDBusError::Disconnected, QStringLiteral("The connection was closed."));
        call.answer->done = true;
    }
    if (!waiting.isEmpty())
        Q_EMIT answered();
}

void DirectBusConnection::dispatch()
{
    DBusConnection *connection = m_line->d->connection;
    dbus_connection_read_write(connection, 0);
    bool any = false;
    while (dbus_connection_get_dispatch_status(connection) == DBUS_DISPATCH_DATA_REMAINS) {
        dbus_connection_dispatch(connection);
        any = true;
    }
    if (!dbus_connection_get_is_connected(connection)) {
        m_readable->setEnabled(false); // nothing more to read; the answers still waiting expire
        scheduleExpiry();
    }
    if (any)
        Q_EMIT answered();
}

void DirectBusConnection::expire()
{
    Line::State *state = m_line->d.get();
    QList<std::shared_ptr<Answer>> expired;
    {
        const QMutexLocker lock(&state->waitingMutex);
        const Clock::time_point now = Clock::now();
        const bool connected = dbus_connection_get_is_connected(state->connection);
        for (auto it = state->waiting.begin(); it != state->waiting.end();) {
            if (!connected || it->deadline <= now) {
                expired.append(it->answer);
                it = state->waiting.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const std::shared_ptr<Answer> &answer : std::as_const(expired)) {
        answer->error = QDBusError(QDBusError::NoReply, QStringLiteral("No reply came in time."));
        answer->done = true;
    }
    scheduleExpiry();
    if (!expired.isEmpty())
        Q_EMIT answered();
}

void DirectBusConnection::scheduleExpiry()
{
    Line::State *state = m_line->d.get();
    std::optional<Clock::time_point> next;
    {
        const QMutexLocker lock(&state->waitingMutex);
        for (const Line::State::Waiting &call : std::as_const(state->waiting))
            next = next ? std::min(*next, call.deadline) : call.deadline;
    }
    if (!next) {
        m_expiry->stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
    m_expiry->start(std::max(wait, std::chrono::milliseconds(0)));
}

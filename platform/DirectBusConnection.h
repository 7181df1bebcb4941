#pragma once
// A connection of our own to a bus, through libdbus, for calls that must be
// on the socket the moment they are made. QtDBus hands every message from
// another thread to its own thread first; a process killed in between has
// done whatever came before the call but never made it. Here the caller's
// thread writes the bytes itself. Answers come back on the thread that
// opened the connection.

#include <QDBusError>
#include <QDBusMessage>
#include <QObject>

#include <chrono>
#include <memory>

struct DBusMessage;
struct DBusPreallocatedSend;
class QSocketNotifier;
class QTimer;

class DirectBusConnection : public QObject {
    Q_OBJECT

public:
    // Filled in on the connection's thread: the reply's arguments of basic
    // types (others as invalid values) and its signature, or the error, also
    // when no reply came in time.
    struct Answer {
        bool done = false;
        QDBusError error;
        QString signature;
        QVariantList arguments;
    };
    // What other threads hold to send; it outlives the connection, and sends
    // nothing once the connection is gone.
    class Line;

    // Connects and registers with the bus at `address` (blocking, one round
    // trip). Null when that fails.
    static DirectBusConnection *open(const QString &address, QObject *parent);
    // Every call still waiting is answered with an error.
    ~DirectBusConnection() override;

    std::shared_ptr<Line> line() const { return m_line; }

Q_SIGNALS:
    // Some answer was filled in.
    void answered();

private:
    DirectBusConnection(std::shared_ptr<Line> line, QObject *parent);
    void dispatch();
    void expire();
    void scheduleExpiry();

    std::shared_ptr<Line> m_line;
    QSocketNotifier *m_readable = nullptr;
    QTimer *m_expiry = nullptr;
};

class DirectBusConnection::Line : public std::enable_shared_from_this<Line> {
public:
    class Prepared;
    ~Line();
    // Any thread. The call marshalled and its place on the connection taken,
    // so that sending it later is little more than the write. Null when the
    // message holds a type this does not carry (strings, string lists,
    // Booleans, 32-bit integers and string-keyed maps of those): send it
    // another way.
    std::unique_ptr<Prepared> prepare(const QDBusMessage &call);
    // Any thread. Writes the call to the socket before it returns. False,
    // with nothing sent, when the connection is gone.
    bool send(std::unique_ptr<Prepared> call, std::chrono::milliseconds timeout, std::shared_ptr<Answer> answer);

private:
    friend class DirectBusConnection;
    struct State;
    std::unique_ptr<State> d;
};

class DirectBusConnection::Line::Prepared {
public:
    ~Prepared();
    Prepared(const Prepared &) = delete;
    Prepared &operator=(const Prepared &) = delete;

private:
    friend class Line;
    Prepared(std::shared_ptr<Line> line, DBusMessage *message, DBusPreallocatedSend *slot)
        : m_line(std::move(line)), m_message(message), m_slot(slot) {}
    std::shared_ptr<Line> m_line; // the connection the slot belongs to stays open
    DBusMessage *m_message;
    DBusPreallocatedSend *m_slot;
};

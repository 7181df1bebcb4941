// org.freedesktop.Notifications on the session bus that writes the title of
// every notification it is asked to show to a log, one line each, before it
// answers.
//
//   StormNotificationServer LOG
#include "tests/platform/FakeNotificationServer.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <unistd.h>

namespace {
class LoggingServer final : public FakeNotificationServer {
public:
    LoggingServer(QDBusConnection connection, int log) : FakeNotificationServer(std::move(connection)), m_log(log) {}
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == QLatin1String("Notify") && message.arguments().size() == 8) {
            const QByteArray line = message.arguments().at(3).toString().toUtf8() + '\n';
            if (::write(m_log, line.constData(), size_t(line.size())) != line.size())
                qFatal("log not written");
        }
        return FakeNotificationServer::handleMessage(message, connection);
    }

private:
    int m_log;
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const int log = ::open(argv[1], O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    LoggingServer server(QDBusConnection::sessionBus(), log);
    if (log < 0 || !server.start())
        return 1;
    return QCoreApplication::exec();
}

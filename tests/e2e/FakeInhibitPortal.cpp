// A stand-in for xdg-desktop-portal's Inhibit interface on the session bus.
// Prints "inhibit <handle> <flags> <reason>" and "close <handle>" lines so a
// script can follow what the app holds.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Request : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    explicit Request(QString path) : m_path(std::move(path)) {}

public Q_SLOTS:
    void Close()
    {
        say(QStringLiteral("close ") + m_path);
        QDBusConnection::sessionBus().unregisterObject(m_path);
    }

private:
    QString m_path;
};

class InhibitPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString &window, uint flags, const QVariantMap &options)
    {
        Q_UNUSED(window);
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/fake/t%1").arg(++m_count);
        auto request = std::make_unique<Request>(path);
        QDBusConnection::sessionBus().registerObject(path, request.get(), QDBusConnection::ExportAllSlots);
        m_requests.push_back(std::move(request));
        say(QStringLiteral("inhibit %1 %2 %3").arg(path).arg(flags).arg(options.value(QStringLiteral("reason")).toString()));
        return QDBusObjectPath(path);
    }

private:
    int m_count = 0;
    std::vector<std::unique_ptr<Request>> m_requests;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    InhibitPortal inhibit;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &inhibit, QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        say(QStringLiteral("error cannot register"));
        return 1;
    }
    say(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

#include "FakeInhibitPortal.moc"

// Schedules one notification half a second ahead on the session bus and exits
// once the server has taken it: 0 when shown, 1 when refused or timed out.
#include "platform/SystemBrimTimerNotifications.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SystemBrimTimerNotifications center(QDBusConnection::sessionBus(), nullptr);
    const BrimTimerNotificationSettings settings = QCoro::waitFor(center.settings());
    if (!settings.allowsDelivery()) {
        std::fprintf(stderr, "no notification server\n");
        return 1;
    }
    int exitCode = 1;
    QObject::connect(&center, &SystemBrimTimerNotifications::delivered, &app, [&](const QString &, bool ok) {
        exitCode = ok ? 0 : 1;
        app.quit();
    });
    const BrimNotificationRequest request{QStringLiteral("brimkit.timer.probe"), QStringLiteral("Ostrel Brimkit"),
                                          QStringLiteral("Focus finished"), true,
                                          BrimNotificationTrigger::afterInterval(0.5)};
    const auto added = QCoro::waitFor(center.add(request));
    if (!added.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(added.error()));
        return 1;
    }
    QTimer::singleShot(10000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf(exitCode == 0 ? "delivered\n" : "not delivered\n");
    return exitCode;
}

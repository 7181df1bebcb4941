// The app's own model, alarm file and notification adapters with no windows,
// adding and removing alarms at random until it is killed. Every change the
// model acknowledged is written to the log (one line, one write) before the
// next is asked for, so a checker can tell what must have survived.
//
//   StormApp LOG     (XDG folders and session bus from the environment)
#include "core/BrimClock.h"
#include "platform/SingleInstance.h"
#include "platform/SystemBrimTimerNotifications.h"
#include "tests/support/ModelFakes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDBusConnection>
#include <QRandomGenerator>
#include <QDateTime>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {

class Log {
public:
    explicit Log(const char *path) : m_fd(::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {}
    ~Log() { ::close(m_fd); }
    void line(const QString &text) const
    {
        const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
        if (::write(m_fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            qFatal("log not written");
    }

private:
    int m_fd;
};

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("app.ostrel.brimkit"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Ostrel Brimkit"));
    if (argc != 2)
        return 2;
    const Log log(argv[1]);
    SingleInstance instance(QDBusConnection::sessionBus());
    if (instance.claim() != SingleInstance::Claim::owned)
        return 3;
    // The app's clock, alarm file and notifications; the rest, which alarms
    // never touch, stands still. No sound: there is no sound server here.
    auto defaults = std::make_shared<MemoryUserDefaults>();
    defaults->setBool(BrimkitModel::soundKey, false);
    BrimkitModel::Environment environment{std::make_shared<SystemBrimClock>(), defaults,
                                          std::make_shared<FakePowerAssertions>(), std::make_shared<CountingBeep>(),
                                          std::make_shared<ManualSystemEvents>(), [](OstrelEvent) {}, nullptr, nullptr,
                                          nullptr, true};
    environment.notifications = std::make_shared<SystemBrimTimerNotifications>(QDBusConnection::sessionBus(), nullptr);
    BrimkitModel model(environment);
    BrimAlarmsModel &alarms = model.alarms();
    // Process ids come round again in a long storm; titles must not.
    const QString life = QStringLiteral("%1.%2").arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    int made = 0;
    std::optional<QUuid> removing;

    QObject::connect(&alarms, &BrimAlarmsModel::added, &app, [&](QUuid id) {
        const auto &list = alarms.book().alarms();
        const auto it = std::find_if(list.cbegin(), list.cend(), [&](const BrimAlarm &a) { return a.id == id; });
        log.line(QStringLiteral("added %1 %2 %3").arg(idText(id), it->title).arg(it->date.secondsSinceReference, 0, 'f', 3));
    });
    QObject::connect(&alarms, &BrimAlarmsModel::changed, &app, [&] {
        if (alarms.storageIssue())
            log.line(QStringLiteral("issue ") + *alarms.storageIssue());
        const auto &list = alarms.book().alarms();
        if (removing && std::none_of(list.cbegin(), list.cend(), [&](const BrimAlarm &a) { return a.id == *removing; })) {
            log.line(QStringLiteral("removed %1").arg(idText(*removing)));
            removing.reset();
        }
    });

    // One change at a time, each asked for once the one before it ended.
    QTimer step;
    step.setSingleShot(true);
    QObject::connect(&step, &QTimer::timeout, &app, [&] {
        if (alarms.isStoring() || removing || alarms.storageIssue()) {
            step.start(5);
            return;
        }
        auto *random = QRandomGenerator::global();
        const BrimDate now = SystemBrimClock().now();
        const QList<BrimAlarm> upcoming = alarms.book().upcoming();
        const QList<BrimAlarm> completed = alarms.book().completed();
        if (!completed.isEmpty() && random->bounded(2) == 0) {
            removing = completed.first().id;
            log.line(QStringLiteral("dismiss %1 %2 %3")
                         .arg(idText(*removing), completed.first().title)
                         .arg(completed.first().firedAt->secondsSinceReference, 0, 'f', 3));
            alarms.remove(*removing);
        } else if (upcoming.size() + completed.size() < 12 && random->bounded(4) != 0) {
            const QString title = QStringLiteral("S%1-%2").arg(life).arg(++made);
            log.line(QStringLiteral("add %1").arg(title));
            alarms.add(title, now + 0.3 + random->bounded(2.5), now);
        } else if (!upcoming.isEmpty() && upcoming.first().date > now + 1) {
            removing = upcoming.first().id; // well before it is due
            log.line(QStringLiteral("cancel %1 %2").arg(idText(*removing), upcoming.first().title));
            alarms.remove(*removing);
        }
        step.start(10 + random->bounded(40));
    });
    step.start(0);
    return QCoreApplication::exec();
}

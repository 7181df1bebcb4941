#include "platform/SystemdAlarmTimer.h"

#include "core/AtomicFile.h"
#include "models/BrimCompletion.h"
#include "platform/PlatformLogging.h"

#include <QCoro/QCoroDBus>
#include <QCoro/QCoroFuture>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QTimeZone>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace {
const QString managerService = QStringLiteral("org.freedesktop.systemd1");
const QString managerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString managerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString noSuchUnit = QStringLiteral("org.freedesktop.systemd1.NoSuchUnit");
// Names built ahead: g++ 12 rejects a string literal inside a co_await expression.
const QString startUnit = QStringLiteral("StartUnit");
const QString stopUnit = QStringLiteral("StopUnit");
const QString enableUnitFiles = QStringLiteral("EnableUnitFiles");
const QString disableUnitFiles = QStringLiteral("DisableUnitFiles");
const QString reload = QStringLiteral("Reload");
const QString replaceJobs = QStringLiteral("replace");
// systemd reads calendar years up to 2199 (2200-01-01T00:00:00Z here).
constexpr qint64 calendarEndUnixSeconds = 7258118400;

// One OnCalendar= line per distinct second, in UTC. Rounded up, so the
// delivery started at that second finds the alarm due.
QStringList calendarLines(const QList<BrimDate> &moments)
{
    QList<qint64> seconds;
    for (const BrimDate moment : moments) {
        const double unix = std::ceil(moment.unixSeconds());
        if (unix >= 0 && unix < double(calendarEndUnixSeconds))
            seconds.append(qint64(unix));
    }
    std::sort(seconds.begin(), seconds.end());
    seconds.erase(std::unique(seconds.begin(), seconds.end()), seconds.end());
    QStringList lines;
    for (const qint64 s : std::as_const(seconds)) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(s, QTimeZone::utc());
        lines.append(QStringLiteral("OnCalendar=%1 UTC").arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    }
    return lines;
}

// One word of a unit setting in double quotes, escaped for systemd's
// unquoting and specifiers; nothing for control characters, which a unit file
// cannot carry. No "$" escape: the program's path and Environment= values are
// not subject to variable expansion (systemd-analyze verify agrees).
std::optional<QString> quoted(const QString &word)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            out += c;
        out += c;
    }
    return out + QLatin1Char('"');
}

QString description(const QString &what)
{
    return QGuiApplication::applicationDisplayName().replace(QLatin1Char('%'), QStringLiteral("%%")) + what;
}

// The timer's and the service's text; nothing when the program's path cannot
// be written into a unit file.
std::optional<std::pair<QString, QString>> unitTexts(const QStringList &calendar, const SystemdAlarmTimer::Config &config)
{
    const std::optional<QString> program = quoted(config.program);
    if (!program)
        return std::nullopt;
    const QString timer = QStringLiteral("[Unit]\nDescription=%1\n\n[Timer]\n%2\nPersistent=true\nAccuracySec=1s\n\n"
                                         "[Install]\nWantedBy=timers.target\n")
                              .arg(description(QStringLiteral(" alarms")), calendar.join(QLatin1Char('\n')));
    QString service = QStringLiteral("[Unit]\nDescription=%1\n\n[Service]\nType=oneshot\n")
                          .arg(description(QStringLiteral(": deliver due alarms")));
    for (const QString &variable : config.environment) {
        if (const std::optional<QString> assignment = quoted(variable))
            service += QStringLiteral("Environment=%1\n").arg(*assignment);
    }
    service += QStringLiteral("ExecStart=%1 --deliver-due-alarms\n").arg(*program);
    return std::pair{timer, service};
}

struct FileChange {
    bool changed = false;
    QString error; // empty when all went well
};

// On a worker thread: each file gets its text, or goes when the text is empty.
FileChange bringFiles(const QString &folder, const QList<std::pair<QString, QString>> &files)
{
    FileChange result;
    for (const auto &[name, text] : files) {
        QFile file(folder + QLatin1Char('/') + name);
        const QByteArray wanted = text.toUtf8();
        if (wanted.isEmpty()) {
            if (!file.exists())
                continue;
            if (!file.remove())
                return {result.changed, file.fileName() + QStringLiteral(": ") + file.errorString()};
            result.changed = true;
            continue;
        }
        if (file.open(QIODevice::ReadOnly) && file.readAll() == wanted)
            continue;
        file.close();
        if (!QDir().mkpath(folder))
            return {result.changed, folder + QStringLiteral(": the folder cannot be made")};
        if (const auto written = writeFileAtomically(file.fileName(), wanted); !written.ok())
            return {result.changed, file.fileName() + QStringLiteral(": ") + written.error()};
        result.changed = true;
    }
    return result;
}

} // namespace

SystemdAlarmTimer::SystemdAlarmTimer(QDBusConnection bus, Config config, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_config(std::move(config))
{
}

QString SystemdAlarmTimer::timerUnit()
{
    return QGuiApplication::desktopFileName() + QStringLiteral("-alarms.timer");
}

QString SystemdAlarmTimer::serviceUnit()
{
    return QGuiApplication::desktopFileName() + QStringLiteral("-alarms.service");
}

QCoro::Task<bool> SystemdAlarmTimer::schedule(QList<BrimDate> moments)
{
    const QPointer<SystemdAlarmTimer> self(this);
    const quint64 ticket = ++m_latest;
    // One run at a time, in order; a call a later one superseded is skipped.
    while (m_run) {
        const std::shared_ptr<BrimCompletion> run = m_run;
        co_await run->wait();
        if (!self)
            co_return false;
    }
    if (ticket != m_latest)
        co_return m_lastAnswer;
    // Finished however this ends, also with the timer gone: nothing waits forever.
    const BrimCompletion::FinishOnExit finish{std::make_shared<BrimCompletion>()};
    m_run = finish.completion;
    const bool answer = co_await apply(std::move(moments));
    if (!self)
        co_return false;
    m_lastAnswer = answer;
    m_run.reset();
    co_return answer;
}

QCoro::Task<bool> SystemdAlarmTimer::managerPresent()
{
    const QString busService = QStringLiteral("org.freedesktop.DBus");
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(busService, QStringLiteral("/org/freedesktop/DBus"),
                                                           busService, QStringLiteral("NameHasOwner"));
    hasOwner << managerService;
    QDBusPendingReply<bool> owner = m_bus.asyncCall(hasOwner);
    co_await owner;
    if (owner.isError())
        qCWarning(lcPlatform) << "The bus did not say whether a user manager runs:" << owner.error().message();
    co_return owner.isValid() && owner.value();
}

QCoro::Task<bool> SystemdAlarmTimer::tell(QString method, QVariantList arguments, QString benign)
{
    QDBusMessage message = QDBusMessage::createMethodCall(managerService, managerPath, managerInterface, method);
    message.setArguments(arguments);
    QDBusPendingReply<> reply = m_bus.asyncCall(message);
    co_await reply;
    if (!reply.isError() || reply.error().name() == benign)
        co_return true;
    qCWarning(lcPlatform) << "The user manager refused" << method << "of the alarm timer:" << reply.error().message();
    co_return false;
}

QCoro::Task<bool> SystemdAlarmTimer::apply(QList<BrimDate> moments)
{
    const QPointer<SystemdAlarmTimer> self(this);
    if (!m_bus.isConnected())
        co_return false;
    // The user manager is never started on demand: absent now, absent for good.
    const bool present = co_await managerPresent();
    if (!self || !present)
        co_return false;

    const QString timer = timerUnit();
    const QString service = serviceUnit();
    const QStringList lines = calendarLines(moments);
    QString timerText, serviceText;
    if (!lines.isEmpty()) {
        const std::optional<std::pair<QString, QString>> texts = unitTexts(lines, m_config);
        if (!texts) {
            qCWarning(lcPlatform) << "The program's path cannot go into a unit file:" << m_config.program;
            co_return false;
        }
        std::tie(timerText, serviceText) = *texts;
    } else if (!QFile::exists(m_config.unitFolder + QLatin1Char('/') + timer)
               && !QFile::exists(m_config.unitFolder + QLatin1Char('/') + service)) {
        co_return true; // nothing to stop
    }

    // Arguments built ahead of each co_await (g++ 12).
    const QStringList units{timer};
    const QVariantList jobArguments{timer, replaceJobs};
    const QVariantList disableArguments{units, false};
    const QVariantList enableArguments{units, false, true};
    if (lines.isEmpty()) {
        // Stopped and disabled while the manager still knows the unit.
        const bool stopped = co_await tell(stopUnit, jobArguments, noSuchUnit);
        if (!stopped || !self)
            co_return false;
        const bool disabled = co_await tell(disableUnitFiles, disableArguments, noSuchUnit);
        if (!disabled || !self)
            co_return false;
    }
    const QList<std::pair<QString, QString>> files{{timer, timerText}, {service, serviceText}};
    QFuture<FileChange> written = QtConcurrent::run(bringFiles, m_config.unitFolder, files);
    const FileChange change = co_await written;
    if (!self)
        co_return false;
    if (!change.error.isEmpty()) {
        qCWarning(lcPlatform) << "Could not write the alarm timer:" << change.error;
        co_return false;
    }
    // g++ 12 runs a co_await inside && or || even when the left side decides:
    // every call stands alone.
    if (!lines.isEmpty()) {
        const bool enabled = co_await tell(enableUnitFiles, enableArguments);
        if (!enabled || !self)
            co_return false;
    }
    if (change.changed) {
        const bool reloaded = co_await tell(reload, QVariantList());
        if (!reloaded || !self)
            co_return false;
    }
    if (lines.isEmpty())
        co_return true;
    co_return co_await tell(startUnit, jobArguments);
}

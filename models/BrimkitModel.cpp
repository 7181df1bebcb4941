#include "models/BrimkitModel.h"

#include "core/FileBrimAlarmStore.h"

#include <QGuiApplication>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace {
constexpr int minimumMinutes = 1;
constexpr int maximumMinutes = 240;

bool inRange(int minutes)
{
    return minutes >= minimumMinutes && minutes <= maximumMinutes;
}
} // namespace

BrimkitModel::BrimkitModel(Environment environment, QObject *parent)
    : BrimkitModel(std::move(environment), Options{}, parent)
{
}

BrimkitModel::BrimkitModel(Environment environment, Options options, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
    , m_now(m_env.clock->now())
    , m_notifications(m_env.notifications)
    , m_notificationGeneration(QUuid::createUuid())
    , m_timerID(QUuid::createUuid())
{
    // A stored value of another type counts as absent; reading never writes back.
    m_islandEnabled = m_env.defaults->boolValue(islandKey).value_or(true);
    m_notificationEnabled = m_env.defaults->boolValue(notificationsKey).value_or(true);
    m_soundEnabled = m_env.defaults->boolValue(soundKey).value_or(true);

    // Without the desktop's notifications, the model runs without them.
    if (m_notifications) {
        const QPointer<BrimkitModel> self(this);
        m_series = std::make_shared<BrimNotificationSeries>(m_notifications, m_env.track,
                                                            BrimNotificationSeries::timerNotes, [self] {
                                                                if (self)
                                                                    Q_EMIT self->changed();
                                                            });
    }

    auto store = m_env.alarmStore ? m_env.alarmStore
                                  : std::make_shared<FileBrimAlarmStore>(FileBrimAlarmStore::defaultURL());
    m_alarms = std::make_unique<BrimAlarmsModel>(std::move(store), m_notifications, m_notificationEnabled,
                                                 m_soundEnabled,
                                                 BrimAlarmsModel::Environment{m_env.clock, m_env.beep, m_env.track,
                                                                              m_env.alarmTimer, m_env.alarmStoreOnWorker});
    m_alarmChanges = connect(m_alarms.get(), &BrimAlarmsModel::changed, this, &BrimkitModel::changed);

    if (!options.ticking)
        return;
    if (m_env.systemEvents) {
        m_env.systemEvents->observe([this](BrimSystemEvent event) { onSystemEvent(event); });
        m_observing = true;
    }
    m_tick.emplace();
    m_tick->setSingleShot(true);
    // Precise: a coarse timer may fire 5 % of its wait late, minutes for an alarm hours away.
    m_tick->setTimerType(Qt::PreciseTimer);
    connect(&*m_tick, &QTimer::timeout, this, [this] { refresh(m_env.clock->now()); });
    // Every change may move the next deadline.
    connect(this, &BrimkitModel::changed, this, &BrimkitModel::armClock);
    armClock();
}

BrimkitModel::~BrimkitModel()
{
    // The observers capture this object; never let them outlive it.
    if (m_observing)
        m_env.systemEvents->stopObserving();
    endAwake();
}

QString BrimkitModel::awakeReason()
{
    return tr("%1 keep awake").arg(QGuiApplication::applicationDisplayName());
}

const std::optional<QString> &BrimkitModel::notificationNote() const
{
    static const std::optional<QString> none;
    return m_series ? m_series->note() : none;
}

void BrimkitModel::onSystemEvent(BrimSystemEvent event)
{
    refresh(m_env.clock->now());
    if (event == BrimSystemEvent::woke)
        return;
    synchronizeNotification(false);
    synchronizeAlarms(false);
}

void BrimkitModel::synchronizeAlarms(bool requestPermission)
{
    m_alarms->setEnabled(m_notificationEnabled);
    m_alarms->setSound(m_soundEnabled);
    m_alarms->synchronize(requestPermission);
}

void BrimkitModel::track(OstrelEvent event) const
{
    if (m_env.track)
        m_env.track(event);
}

void BrimkitModel::armClock()
{
    if (!m_tick)
        return;
    const BrimDate now = m_env.clock->now();
    std::optional<BrimDate> next;
    const auto consider = [&next](BrimDate moment) {
        if (!next || moment < *next)
            next = moment;
    };
    if (const std::optional<BrimDate> deadline = m_countdown.deadline()) {
        // The seconds shown change as the time left passes a whole second.
        const double left = *deadline - now;
        consider(left > 0 ? *deadline - (std::ceil(left) - 1) : now);
    }
    if (m_awakeUntil)
        consider(*m_awakeUntil);
    if (const std::optional<BrimDate> alarm = m_alarms->nextDue())
        consider(*alarm);
    m_nextStep = next;
    if (!next) {
        m_tick->stop();
        return;
    }
    // A step lands a little after its moment, never just before it (the
    // timer's clock and the wall clock differ by a fraction of a
    // millisecond). Long waits are cut to an hour, so a wall-clock change
    // that went unannounced is caught up with.
    constexpr double slackMs = 3;
    constexpr double longestWaitMs = 3600 * 1000;
    m_tick->start(int(std::clamp(std::ceil((*next - now) * 1000 + slackMs), 0.0, longestWaitMs)));
}

void BrimkitModel::endAwake()
{
    ++m_awakeGeneration;
    if (m_assertion != 0) {
        m_env.power->release(m_assertion);
        m_assertion = 0;
    }
    m_awakeUntil.reset();
}

void BrimkitModel::refresh(BrimDate date)
{
    m_now = date;
    m_alarms->refresh(date, false);
    if (m_awakeUntil && date >= *m_awakeUntil)
        endAwake();
    if (m_countdown.finishIfDue(date)) {
        m_completion = m_kind;
        track(m_kind == BrimTimerKind::timer ? OstrelEvent::brimTimerCompleted : OstrelEvent::brimPomodoroCompleted);
        // The notification brings its sound; never both.
        if (m_scheduledIdentifier && m_series)
            notifyCompletion(completionRequest(*m_scheduledIdentifier, m_kind, m_scheduledSound));
        else if (m_soundEnabled && m_env.beep)
            m_env.beep->beep();
        m_notificationGeneration = QUuid::createUuid();
    }
    Q_EMIT changed();
}

void BrimkitModel::startTimer(int minutes, BrimTimerKind kind)
{
    if (!inRange(minutes))
        return;
    if (isTiming())
        track(OstrelEvent::brimTimerCancelled);
    clearNotification();
    m_now = m_env.clock->now();
    m_kind = kind;
    m_timerID = QUuid::createUuid();
    m_lastMinutes = minutes;
    m_completion.reset();
    m_countdown.start(minutes * 60.0, m_now);
    track(kind == BrimTimerKind::timer ? OstrelEvent::brimTimerStarted : OstrelEvent::brimPomodoroStarted);
    Q_EMIT changed();
    synchronizeNotification(true);
}

void BrimkitModel::pauseOrResume()
{
    refresh(m_env.clock->now());
    if (!isTiming())
        return;
    if (!m_countdown.deadline())
        m_countdown.resume(m_now);
    else
        m_countdown.pause(m_now);
    Q_EMIT changed();
    synchronizeNotification(!isPaused());
}

void BrimkitModel::cancelTimer()
{
    if (isTiming())
        track(OstrelEvent::brimTimerCancelled);
    clearNotification();
    m_countdown.cancel();
    m_completion.reset();
    Q_EMIT changed();
}

QString BrimkitModel::nextSessionTitle() const
{
    if (!m_completion)
        return tr("Start");
    if (*m_completion == BrimTimerKind::timer)
        return tr("Restart timer");
    return tr("Start %1").arg(m_completion->next().title().toLower());
}

std::optional<BrimTimePresentation> BrimkitModel::timePresentation() const
{
    const BrimAlarmBook &book = m_alarms->book();
    if (const QList<BrimAlarm> completed = book.completed(); !completed.isEmpty())
        return BrimTimePresentation(BrimTimePresentation::Alarm{completed.first()});
    if (isTiming()) {
        return BrimTimePresentation(BrimTimePresentation::Countdown{
            m_timerID, m_kind, m_countdown.secondsLeft(m_now), isPaused(), m_countdown.deadline()});
    }
    if (m_completion)
        return BrimTimePresentation(BrimTimePresentation::TimerComplete{m_timerID, *m_completion, nextSessionTitle()});
    if (const QList<BrimAlarm> upcoming = book.upcoming(); !upcoming.isEmpty())
        return BrimTimePresentation(BrimTimePresentation::Alarm{upcoming.first()});
    return std::nullopt;
}

QString BrimkitModel::menuTitle() const
{
    const BrimAlarmBook &book = m_alarms->book();
    const bool alarmFired = std::any_of(book.alarms().cbegin(), book.alarms().cend(),
                                        [](const BrimAlarm &a) { return a.firedAt.has_value(); });
    const auto clock = [this] { return BrimTimePresentation::clockText(m_countdown.secondsLeft(m_now)); };
    if (alarmFired)
        return isTiming() ? QStringLiteral("! ") + clock() : tr("Alarm");
    if (isPaused())
        return QStringLiteral("\u2161 ") + clock();
    if (isTiming())
        return clock();
    if (m_completion)
        return tr("Done");
    if (const QList<BrimAlarm> upcoming = book.upcoming(); !upcoming.isEmpty())
        return BrimTimePresentation::timeText(upcoming.first().date);
    if (m_awakeUntil)
        return tr("Awake");
    return {};
}

QString BrimkitModel::statusSymbol() const
{
    const auto presentation = timePresentation();
    if (!presentation)
        return QStringLiteral("wrench.and.screwdriver");
    if (const auto *countdown = presentation->countdown())
        return countdown->kind.symbol();
    if (presentation->timerComplete())
        return QStringLiteral("checkmark.circle.fill");
    return QStringLiteral("alarm.fill");
}

QString BrimkitModel::accessibilityLabel() const
{
    const QString application = QGuiApplication::applicationDisplayName();
    const QString title = menuTitle();
    if (title.isEmpty())
        return application;
    QString name = tr("Brimkit");
    if (const auto presentation = timePresentation()) {
        if (const auto *countdown = presentation->countdown())
            name = countdown->kind.title();
        else if (const auto *complete = presentation->timerComplete())
            name = complete->kind.completionTitle();
        else
            name = presentation->alarm()->alarm.title;
    }
    return tr("%1, %2, %3").arg(application, name, title);
}

void BrimkitModel::startNextSession()
{
    if (!m_completion)
        return;
    // After a session its natural follower at its standard length, never the
    // user's last choice; a plain timer repeats itself.
    const BrimTimerKind next = m_completion->next();
    startTimer(next == BrimTimerKind::timer ? m_lastMinutes : next.minutes(), next);
}

void BrimkitModel::dismissCompletion()
{
    m_completion.reset();
    clearNotification();
    Q_EMIT changed();
}

void BrimkitModel::startAwake(int minutes)
{
    if (!inRange(minutes))
        return;
    const bool wasOn = m_awakeUntil.has_value();
    endAwake();
    if (wasOn)
        Q_EMIT changed();
    holdAwake(m_awakeGeneration, minutes);
}

QCoro::Task<> BrimkitModel::holdAwake(quint64 generation, int minutes)
{
    const QPointer<BrimkitModel> self(this);
    const auto power = m_env.power;
    const BrimPowerAssertion result = co_await power->preventIdleSleep(awakeReason());
    if (!self || m_awakeGeneration != generation) {
        // Stopped, restarted or shut down while the desktop answered.
        if (result.status == 0)
            power->release(result.identifier);
        co_return;
    }
    if (result.status != 0) {
        m_message = tr("Keep awake could not start (system error %1).").arg(result.status);
        if (!result.reason.isEmpty())
            *m_message += QLatin1Char(' ') + result.reason;
    } else {
        m_assertion = result.identifier;
        m_awakeUntil = m_env.clock->now() + minutes * 60.0;
    }
    Q_EMIT changed();
}

void BrimkitModel::stopAwake()
{
    const bool wasOn = m_awakeUntil.has_value();
    endAwake();
    if (wasOn)
        Q_EMIT changed();
}

void BrimkitModel::setMessage(std::optional<QString> message)
{
    if (message == m_message)
        return;
    m_message = std::move(message);
    Q_EMIT changed();
}

void BrimkitModel::setIslandEnabled(bool enabled)
{
    // Written on every assignment; announced only when it changed.
    m_env.defaults->setBool(islandKey, enabled);
    if (enabled == m_islandEnabled)
        return;
    m_islandEnabled = enabled;
    Q_EMIT changed();
}

void BrimkitModel::setNotificationEnabled(bool enabled)
{
    if (enabled == m_notificationEnabled)
        return;
    m_notificationEnabled = enabled;
    m_env.defaults->setBool(notificationsKey, enabled);
    Q_EMIT changed();
    synchronizeAlarms(m_notificationEnabled && !m_alarms->book().upcoming().isEmpty());
    synchronizeNotification(m_notificationEnabled && isTiming());
}

void BrimkitModel::setSoundEnabled(bool enabled)
{
    if (enabled == m_soundEnabled)
        return;
    m_soundEnabled = enabled;
    m_env.defaults->setBool(soundKey, enabled);
    Q_EMIT changed();
    synchronizeAlarms(false);
    synchronizeNotification(false);
}

void BrimkitModel::shutdown()
{
    m_tick.reset();
    if (m_observing) {
        m_env.systemEvents->stopObserving();
        m_observing = false;
    }
    disconnect(m_alarmChanges);
    m_alarms->shutdown();
    endAwake();
    cancelTimer();
}

void BrimkitModel::clearNotification()
{
    m_notificationGeneration = QUuid::createUuid();
    if (m_scheduledIdentifier && m_notifications)
        m_notifications->removeDelivered({*m_scheduledIdentifier});
    m_scheduledIdentifier.reset();
    m_scheduledSound = false;
}

BrimNotificationRequest BrimkitModel::completionRequest(const QString &identifier, BrimTimerKind kind, bool sound)
{
    // The desktop names the application beside it: the title says what happened.
    const BrimTimePresentation finished(BrimTimePresentation::TimerComplete{{}, kind, {}});
    return BrimNotificationRequest{identifier, kind.completionTitle(), finished.detail(), sound};
}

void BrimkitModel::synchronizeNotification(bool requestPermission)
{
    clearNotification();
    if (!m_series)
        return;
    m_series->begin(requestPermission);
    if (!m_notificationEnabled || !m_countdown.deadline())
        return;
    scheduleNotification(m_notificationGeneration, *m_countdown.deadline(), requestPermission);
}

QCoro::Task<> BrimkitModel::scheduleNotification(QUuid generation, BrimDate deadline, bool requestPermission)
{
    // The wait may outlive this model or be overtaken by a newer countdown;
    // the generation and deadline say whether the work still counts.
    const QPointer<BrimkitModel> self(this);
    const auto current = [self, generation, deadline] {
        return self && self->m_notificationGeneration == generation && self->m_countdown.deadline() == deadline;
    };
    const std::shared_ptr<BrimNotificationSeries> series = m_series;
    const std::optional<BrimTimerNotificationSettings> settings = co_await series->authorize(requestPermission, current);
    if (!settings)
        co_return;
    const BrimDate now = m_env.clock->now();
    if (!(deadline - now > 0)) {
        refresh(now);
        co_return;
    }
    // Shown by the clock step that finishes the countdown.
    m_scheduledIdentifier = timerIdentifierPrefix + generation.toString(QUuid::WithoutBraces).toUpper();
    m_scheduledSound = m_soundEnabled;
    series->complete(*settings);
}

QCoro::Task<> BrimkitModel::notifyCompletion(BrimNotificationRequest request)
{
    const QPointer<BrimkitModel> self(this);
    const std::shared_ptr<BrimSystemBeep> beep = m_env.beep;
    const bool sound = request.sound;
    // Named: a lambda made inside the co_await is destroyed twice by g++ 12,
    // which releases the model's guard twice once the call has suspended.
    const BrimNotificationSeries::Predicate present = [self] { return !self.isNull(); };
    const std::shared_ptr<BrimNotificationSeries> series = m_series;
    const bool shown = co_await series->show(std::move(request), present);
    // Refused: nothing sounded, so the model's own beep does.
    if (!shown && sound && beep)
        beep->beep();
}

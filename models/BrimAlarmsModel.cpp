#include "models/BrimAlarmsModel.h"

#include <QPointer>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

BrimAlarmsModel::BrimAlarmsModel(std::shared_ptr<BrimAlarmStoring> store,
                                 std::shared_ptr<BrimTimerNotificationCenter> notifications,
                                 std::shared_ptr<BrimTimeNotificationAuthorization> authorization, bool enabled,
                                 bool sound, Environment environment, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_env(std::move(environment))
    , m_enabled(enabled)
    , m_sound(sound)
    , m_generation(QUuid::createUuid())
{
    if (notifications && authorization) {
        m_series = std::make_shared<BrimNotificationSeries>(
            std::move(notifications), std::move(authorization), m_env.track, BrimNotificationSeries::alarmNotes,
            [self = QPointer<BrimAlarmsModel>(this)] {
                if (self)
                    Q_EMIT self->changed();
            });
    }
    auto loaded = m_store->load();
    if (loaded.ok()) {
        auto book = BrimAlarmBook::make(std::move(loaded).value());
        if (book.ok()) {
            m_book = std::move(book).value();
            m_archiveLoaded = true;
        } else {
            m_storageIssue = book.error().description();
            track(OstrelEvent::brimAlarmStorageFailed);
        }
    } else {
        m_storageIssue = loaded.error().description();
        track(OstrelEvent::brimAlarmStorageFailed);
    }
    // Alarms that fell due while the app was not running show as missed, silently.
    refresh(m_env.clock->now(), true);
    synchronize(false);
}

BrimAlarmsModel::~BrimAlarmsModel()
{
    m_closed = true;
}

QString BrimAlarmsModel::completionNotSavedIssue()
{
    return tr("Could not save alarm completion. The original file has been kept. Retry when storage is available.");
}

QString BrimAlarmsModel::removalNotSavedMessage()
{
    return tr("Could not save this change. Your alarm has been kept.");
}

QString BrimAlarmsModel::helpText() const
{
    if (m_deliversWhileClosed) {
        return tr("Alarms stay saved when Brimkit quits. Your desktop can notify you with the app closed; the capsule "
                  "returns when you reopen it. A sleeping computer is not woken by an alarm. Missed alarms remain "
                  "until dismissed. Time-zone changes keep the same scheduled moment.");
    }
    return tr("Alarms stay saved when Brimkit quits. Brimkit notifies you only while it runs; the capsule returns "
              "when you reopen it. A sleeping computer is not woken by an alarm. Missed alarms remain until "
              "dismissed. Time-zone changes keep the same scheduled moment.");
}

const std::optional<QString> &BrimAlarmsModel::notificationNote() const
{
    static const std::optional<QString> none;
    return m_series ? m_series->note() : none;
}

void BrimAlarmsModel::track(OstrelEvent event) const
{
    if (m_env.track)
        m_env.track(event);
}

bool BrimAlarmsModel::contains(const QUuid &id) const
{
    const QList<BrimAlarm> &alarms = m_book.alarms();
    return std::any_of(alarms.cbegin(), alarms.cend(), [&](const BrimAlarm &a) { return a.id == id; });
}

void BrimAlarmsModel::updateClosedTimer()
{
    // A file not yet read may hold alarms unknown here: the timer stays as it was.
    if (!m_env.closedTimer || !m_archiveLoaded || m_closed)
        return;
    QList<BrimDate> moments;
    if (m_enabled) {
        for (const BrimAlarm &alarm : m_book.upcoming())
            moments.append(alarm.date);
    }
    if (m_timerMoments == moments)
        return;
    m_timerMoments = moments;
    applyClosedTimer(std::move(moments), ++m_timerGeneration);
}

QCoro::Task<> BrimAlarmsModel::applyClosedTimer(QList<BrimDate> moments, quint64 generation)
{
    const QPointer<BrimAlarmsModel> self(this);
    const std::shared_ptr<BrimAlarmTimer> timer = m_env.closedTimer;
    const bool delivers = co_await timer->schedule(std::move(moments));
    if (!self || generation != m_timerGeneration || m_deliversWhileClosed == delivers)
        co_return;
    m_deliversWhileClosed = delivers;
    Q_EMIT changed();
}

void BrimAlarmsModel::publish(BrimAlarmBook book)
{
    m_book = std::move(book);
    Q_EMIT changed();
}

void BrimAlarmsModel::setText(std::optional<QString> &field, std::optional<QString> value)
{
    if (field == value)
        return;
    field = std::move(value);
    Q_EMIT changed();
}

void BrimAlarmsModel::refresh(BrimDate now, bool restoring)
{
    if (!m_archiveLoaded)
        return;
    // Nearly every tick finds nothing due: look before copying the book.
    const QList<BrimAlarm> &alarms = m_book.alarms();
    if (std::none_of(alarms.cbegin(), alarms.cend(), [&](const BrimAlarm &a) { return !a.firedAt && a.date <= now; }))
        return;
    BrimAlarmBook copy = m_book;
    const QList<BrimAlarm> fired = copy.fireDue(now);
    if (fired.isEmpty())
        return;
    // Shown as fired even if saving fails below.
    publish(copy);
    for (qsizetype i = 0; i < fired.size(); ++i)
        track(restoring ? OstrelEvent::brimAlarmMissed : OstrelEvent::brimAlarmCompleted);
    if (!m_store->save(m_book.alarms()).ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_storageIssue, completionNotSavedIssue());
    }
    updateClosedTimer();
    // Nothing delivered these while the app was closed: the next synchronization shows them.
    if (restoring && m_series)
        m_missed += fired;
    if (restoring || !m_sound)
        return;
    // A notification with sound makes the noise; beep once for any without.
    for (const BrimAlarm &alarm : fired) {
        if (!m_scheduledSound.contains(alarm.notificationID())) {
            if (m_env.beep)
                m_env.beep->beep();
            break;
        }
    }
}

void BrimAlarmsModel::add(const QString &title, BrimDate date, BrimDate now)
{
    if (m_storageIssue)
        return;
    BrimAlarmBook copy = m_book;
    const auto added = copy.add(title, date, now, QTimeZone::systemTimeZone());
    if (!added.ok()) {
        setText(m_message, added.error().description());
        return;
    }
    const auto saved = m_store->save(copy.alarms());
    if (!saved.ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_message, saved.error().description());
        return;
    }
    m_message.reset();
    publish(copy);
    track(OstrelEvent::brimAlarmCreated);
    synchronize(true);
}

void BrimAlarmsModel::remove(QUuid id)
{
    if (m_storageIssue)
        return;
    const auto &alarms = m_book.alarms();
    const auto it = std::find_if(alarms.cbegin(), alarms.cend(), [&](const BrimAlarm &a) { return a.id == id; });
    if (it == alarms.cend())
        return;
    const BrimAlarm removed = *it;
    BrimAlarmBook copy = m_book;
    copy.remove(id);
    if (!m_store->save(copy.alarms()).ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_message, removalNotSavedMessage());
        return;
    }
    m_message.reset();
    publish(copy);
    track(removed.firedAt ? OstrelEvent::brimAlarmDismissed : OstrelEvent::brimAlarmCancelled);
    const QString identifier = removed.notificationID();
    if (m_series) {
        m_series->center().removePending({identifier});
        m_series->center().removeDelivered({identifier});
    }
    m_scheduledSound.remove(identifier);
    synchronize(false);
}

void BrimAlarmsModel::retryStorage()
{
    auto loaded = m_store->load();
    if (!loaded.ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_storageIssue, loaded.error().description());
        return;
    }
    // Completions that happened while saving failed win over the file.
    QHash<QUuid, BrimAlarm> inMemory;
    for (const BrimAlarm &alarm : m_book.alarms())
        inMemory.insert(alarm.id, alarm);
    QList<BrimAlarm> merged;
    for (const BrimAlarm &fromFile : loaded.value()) {
        const auto it = inMemory.constFind(fromFile.id);
        merged.append(it != inMemory.constEnd() && it->firedAt ? *it : fromFile);
    }
    auto book = BrimAlarmBook::make(merged);
    if (!book.ok()) {
        setText(m_storageIssue, book.error().description());
        return;
    }
    const auto saved = m_store->save(merged);
    if (!saved.ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_storageIssue, saved.error().description());
        return;
    }
    m_storageIssue.reset();
    m_archiveLoaded = true;
    publish(std::move(book).value());
    refresh(m_env.clock->now(), true);
    synchronize(false);
}

void BrimAlarmsModel::shutdown()
{
    m_closed = true;
    m_generation = QUuid::createUuid();
}

void BrimAlarmsModel::deliveryFailed(const QString &identifier)
{
    const QList<BrimAlarm> &alarms = m_book.alarms();
    const bool ours = std::any_of(alarms.cbegin(), alarms.cend(),
                                  [&](const BrimAlarm &a) { return a.notificationID() == identifier; });
    if (m_series && ours && !m_closed)
        m_series->fail(true, true);
}

void BrimAlarmsModel::synchronize(bool requestPermission)
{
    m_generation = QUuid::createUuid();
    updateClosedTimer();
    if (!m_series)
        return;
    m_series->begin(requestPermission);
    if (m_closed || !(m_archiveLoaded || !m_enabled))
        return;
    auto worker = std::make_shared<Worker>();
    worker->generation = m_generation;
    std::shared_ptr<BrimCompletion> previous = m_worker ? m_worker->done : nullptr;
    m_worker = worker;
    runWorker(worker, std::move(previous), requestPermission);
}

QCoro::Task<> BrimAlarmsModel::runWorker(std::shared_ptr<Worker> worker, std::shared_ptr<BrimCompletion> previous,
                                         bool requestPermission)
{
    const BrimCompletion::FinishOnExit finish{worker->done};
    const QPointer<BrimAlarmsModel> self(this);
    const QUuid generation = worker->generation;
    const auto current = [self, generation] { return self && self->isCurrent(generation); };
    // A failed add is reported even after shutdown, as long as no newer run replaced this one.
    const auto sameRun = [self, generation] { return self && self->m_generation == generation; };
    // The model may go away at any wait; the series stays.
    const std::shared_ptr<BrimNotificationSeries> series = m_series;
    BrimTimerNotificationCenter &notifications = series->center();

    // One worker at a time: the one replaced finishes first.
    if (previous)
        co_await previous->wait();
    if (!current())
        co_return;

    const QList<BrimNotificationRequest> pending = co_await notifications.pendingRequests();
    if (!current())
        co_return;

    QSet<QString> known;
    for (const BrimAlarm &alarm : m_book.alarms())
        known.insert(alarm.notificationID());
    QStringList stale;
    for (const BrimNotificationRequest &request : pending) {
        if (request.identifier.startsWith(identifierPrefix) && (!m_enabled || !known.contains(request.identifier)))
            stale.append(request.identifier);
    }
    notifications.removePending(stale);
    for (const QString &identifier : std::as_const(stale))
        m_scheduledSound.remove(identifier);

    if (!m_enabled) {
        m_missed.clear();
        co_return;
    }
    const QList<BrimAlarm> snapshot = m_book.upcoming();
    if (snapshot.isEmpty() && m_missed.isEmpty())
        co_return;

    const std::optional<BrimTimerNotificationSettings> settings =
        co_await series->authorize(requestPermission, current, current);
    if (!settings) {
        if (current()) // not to be shown later, when they would come as a surprise
            m_missed.clear();
        co_return;
    }

    // Missed while the app was closed: each shown once, now, without sound.
    while (current() && !m_missed.isEmpty()) {
        const BrimAlarm missed = m_missed.takeFirst();
        if (!contains(missed.id))
            continue;
        const BrimDate now = BrimDate::fromSeconds(std::floor(m_env.clock->now().secondsSinceReference));
        BrimNotificationRequest request = BrimNotificationSeries::request(missed.notificationID(), missed.title,
                                                                          false, BrimNotificationTrigger::atDate(now));
        if (!co_await series->add(std::move(request), sameRun, current))
            co_return;
    }

    for (const BrimAlarm &alarm : snapshot) {
        if (!current())
            co_return;
        if (!(alarm.date > m_env.clock->now()))
            continue;
        const bool withSound = m_sound;
        const QString identifier = alarm.notificationID();
        // Tied to the absolute moment; fractions of a second are dropped.
        const BrimDate moment = BrimDate::fromSeconds(std::floor(alarm.date.secondsSinceReference));
        BrimNotificationRequest request = BrimNotificationSeries::request(
            identifier, alarm.title, withSound, BrimNotificationTrigger::atDate(moment));
        const bool added = co_await series->add(std::move(request), sameRun, current);
        if (!added)
            co_return;
        if (!self) {
            notifications.removePending({identifier});
            co_return;
        }
        if (contains(alarm.id) && m_enabled) {
            if (withSound)
                m_scheduledSound.insert(identifier);
            else
                m_scheduledSound.remove(identifier);
        } else {
            notifications.removePending({identifier});
            notifications.removeDelivered({identifier});
            m_scheduledSound.remove(identifier);
        }
    }
    if (current())
        series->complete(*settings);
}

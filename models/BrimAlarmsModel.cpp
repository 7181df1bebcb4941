#include "models/BrimAlarmsModel.h"

#include "models/BrimTimePresentation.h"

#include <QCoro/QCoroFuture>
#include <QEventLoop>
#include <QPointer>
#include <QSet>
#include <QTimeZone>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <vector>

BrimAlarmsModel::Turn::Turn(BrimAlarmsModel *model, std::shared_ptr<BrimCompletion> previous)
    : m_model(model)
    , m_previous(std::move(previous))
    , m_done(std::make_shared<BrimCompletion>())
{
    ++model->m_storing;
    model->m_lastTurn = m_done;
}

BrimAlarmsModel::Turn::~Turn()
{
    if (!m_done)
        return; // moved from
    if (m_model)
        --m_model->m_storing;
    m_done->finish();
}

QCoro::Task<> BrimAlarmsModel::Turn::waitForEarlier()
{
    if (m_previous)
        co_await m_previous->wait();
}

BrimAlarmsModel::BrimAlarmsModel(std::shared_ptr<BrimAlarmStoring> store,
                                 std::shared_ptr<BrimTimerNotificationCenter> notifications, bool enabled, bool sound,
                                 Environment environment, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_env(std::move(environment))
    , m_enabled(enabled)
    , m_sound(sound)
    , m_generation(QUuid::createUuid())
{
    if (notifications) {
        m_series = std::make_shared<BrimNotificationSeries>(std::move(notifications), m_env.track,
                                                            BrimNotificationSeries::alarmNotes,
                                                            [self = QPointer<BrimAlarmsModel>(this)] {
                                                                if (self)
                                                                    Q_EMIT self->changed();
                                                            });
    }
    loadAtStart(takeTurn());
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

std::optional<BrimDate> BrimAlarmsModel::nextDue() const
{
    if (!m_archiveLoaded || m_closed)
        return std::nullopt;
    std::optional<BrimDate> next;
    for (const BrimAlarm &alarm : m_book.alarms()) {
        if (!alarm.firedAt && (!next || alarm.date < *next))
            next = alarm.date;
    }
    return next;
}

BrimNotificationRequest BrimAlarmsModel::notificationRequest(const BrimAlarm &alarm, bool missed, bool sound)
{
    // The desktop names the application beside it: the alarm's own title leads.
    BrimAlarm scheduled = alarm;
    scheduled.firedAt.reset();
    const QString body = missed ? tr("Missed while Brimkit was closed. It was due %1.")
                                      .arg(BrimTimePresentation::dateTimeText(alarm.date))
                                : BrimTimePresentation(BrimTimePresentation::Alarm{scheduled}).detail();
    return BrimNotificationRequest{alarm.notificationID(), alarm.title, body, sound};
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

BrimAlarmBook BrimAlarmsModel::keepingFired(const BrimAlarmBook &book) const
{
    QList<BrimAlarm> alarms = book.alarms();
    bool changed = false;
    for (BrimAlarm &alarm : alarms) {
        const auto &current = m_book.alarms();
        const auto it = std::find_if(current.cbegin(), current.cend(), [&](const BrimAlarm &a) { return a.id == alarm.id; });
        if (!alarm.firedAt && it != current.cend() && it->firedAt) {
            alarm.firedAt = it->firedAt;
            changed = true;
        }
    }
    if (!changed)
        return book;
    auto merged = BrimAlarmBook::make(std::move(alarms));
    return merged.ok() ? std::move(merged).value() : book;
}

void BrimAlarmsModel::setText(std::optional<QString> &field, std::optional<QString> value)
{
    if (field == value)
        return;
    field = std::move(value);
    Q_EMIT changed();
}

BrimAlarmsModel::Turn BrimAlarmsModel::takeTurn()
{
    return Turn(this, m_lastTurn);
}

QCoro::Task<BrimAlarmsModel::LoadResult> BrimAlarmsModel::load()
{
    const std::shared_ptr<BrimAlarmStoring> store = m_store;
    if (!m_env.storeOnWorker)
        co_return store->load();
    // The lock may make the worker wait for another process; the UI never does.
    QFuture<LoadResult> loading = QtConcurrent::run([store] { return store->load(); });
    co_return co_await loading;
}

QCoro::Task<BrimAlarmsModel::LoadResult> BrimAlarmsModel::update(BrimAlarmStoring::Change change,
                                                                  std::function<void()> saved)
{
    const std::shared_ptr<BrimAlarmStoring> store = m_store;
    // Called the moment the file holds the change, before it is made durable.
    const auto run = [store, change, saved] { return store->update(change, saved); };
    if (!m_env.storeOnWorker)
        co_return run();
    QFuture<LoadResult> updating = QtConcurrent::run(run);
    co_return co_await updating;
}

void BrimAlarmsModel::adopt(const QList<BrimAlarm> &stored)
{
    auto book = BrimAlarmBook::make(stored);
    publish(keepingFired(book.ok() ? book.value() : m_book));
    updateClosedTimer();
}

QCoro::Task<> BrimAlarmsModel::loadAtStart(Turn turn)
{
    const QPointer<BrimAlarmsModel> self(this);
    co_await turn.waitForEarlier();
    LoadResult loaded = co_await load();
    if (!self)
        co_return;
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
    Q_EMIT changed();
    // Alarms that fell due while the app was not running show as missed, silently.
    refresh(m_env.clock->now(), true);
    synchronize(false);
}

void BrimAlarmsModel::refresh(BrimDate now, bool restoring)
{
    if (!m_archiveLoaded)
        return;
    // Nearly every step finds nothing due: look before copying the book.
    const QList<BrimAlarm> &alarms = m_book.alarms();
    if (std::none_of(alarms.cbegin(), alarms.cend(), [&](const BrimAlarm &a) { return !a.firedAt && a.date <= now; }))
        return;
    BrimAlarmBook copy = m_book;
    const QList<BrimAlarm> fired = copy.fireDue(now);
    if (fired.isEmpty())
        return;
    // Shown as fired even if saving fails later.
    publish(copy);
    for (qsizetype i = 0; i < fired.size(); ++i)
        track(restoring ? OstrelEvent::brimAlarmMissed : OstrelEvent::brimAlarmCompleted);
    updateClosedTimer();
    fireInTurn(takeTurn(), fired, now, restoring);
}

QCoro::Task<> BrimAlarmsModel::fireInTurn(Turn turn, QList<BrimAlarm> fired, BrimDate now, bool restoring)
{
    const QPointer<BrimAlarmsModel> self(this);
    co_await turn.waitForEarlier();
    if (!self)
        co_return;
    QSet<QUuid> ids;
    for (const BrimAlarm &alarm : std::as_const(fired))
        ids.insert(alarm.id);
    // Decided once for the turn: what is sent ahead is awaited below.
    const bool tell = m_series && m_enabled && m_notifying;
    const bool sound = !restoring && m_sound;
    // Written on the worker, read here once the update has ended.
    const auto recordedHere = std::make_shared<QSet<QUuid>>();
    // Each notification leaves from the worker the moment its firing is on
    // disk, not after a wait for this thread: a process killed from then on
    // must have sent it.
    QHash<QUuid, std::function<void()>> senders;
    if (tell) {
        for (const BrimAlarm &alarm : std::as_const(fired)) {
            if (auto send = m_series->center().sender(notificationRequest(alarm, restoring, sound)))
                senders.insert(alarm.id, std::move(send));
        }
    }
    const std::function<void()> sendRecorded = [senders, recordedHere] {
        for (const QUuid &id : std::as_const(*recordedHere)) {
            if (const auto send = senders.constFind(id); send != senders.cend())
                (*send)();
        }
    };
    const BrimAlarmStoring::Change change = [ids, now, recordedHere](const QList<BrimAlarm> &alarms)
        -> Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError> {
        QList<BrimAlarm> changed = alarms;
        for (BrimAlarm &alarm : changed) {
            if (ids.contains(alarm.id) && !alarm.firedAt) {
                alarm.firedAt = now;
                recordedHere->insert(alarm.id);
            }
        }
        if (recordedHere->isEmpty())
            return std::optional<QList<BrimAlarm>>();
        return std::optional(std::move(changed));
    };
    // Named: g++ 12 destroys a temporary in a co_await expression twice.
    const LoadResult stored = co_await update(change, sendRecorded);
    if (!self)
        co_return;
    QList<BrimAlarm> ours;
    if (stored.ok()) {
        for (const BrimAlarm &alarm : std::as_const(fired)) {
            if (recordedHere->contains(alarm.id))
                ours.append(alarm);
        }
        announce(ours, restoring, tell, sound);
        adopt(stored.value());
    } else {
        // Not recorded, yet the user must hear of it now.
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_storageIssue, completionNotSavedIssue());
        announce(fired, restoring, tell, sound);
    }
}

void BrimAlarmsModel::announce(const QList<BrimAlarm> &fired, bool restoring, bool tell, bool sound)
{
    if (fired.isEmpty())
        return;
    // Missed while the app was closed: shown once, silently; where
    // notifications were last found off, the next synchronization asks again.
    if (tell) {
        notifyFired(fired, restoring, sound);
    } else if (restoring) {
        if (m_series) {
            m_missed += fired;
            synchronize(false);
        }
    } else if (sound && m_env.beep) {
        m_env.beep->beep();
    }
}

QCoro::Task<> BrimAlarmsModel::notifyFired(QList<BrimAlarm> fired, bool missed, bool sound)
{
    const QPointer<BrimAlarmsModel> self(this);
    const std::shared_ptr<BrimNotificationSeries> series = m_series;
    const std::shared_ptr<BrimSystemBeep> beep = m_env.beep;
    const auto present = [self] { return !self.isNull(); };
    // Every one is asked for at once, none waiting for the server's answer to
    // the one before (each has left from the worker already where it could).
    std::vector<QCoro::Task<bool>> shows;
    shows.reserve(std::size_t(fired.size()));
    for (const BrimAlarm &alarm : std::as_const(fired))
        shows.push_back(series->show(notificationRequest(alarm, missed, sound), present));
    bool refused = false;
    for (QCoro::Task<bool> &show : shows) {
        const bool shown = co_await std::move(show);
        refused = refused || !shown;
    }
    // Refused: nothing sounded, so the model's own beep does, once.
    if (refused && sound && beep)
        beep->beep();
}

void BrimAlarmsModel::add(const QString &title, BrimDate date, BrimDate now)
{
    addInTurn(takeTurn(), title, date, now);
}

QCoro::Task<> BrimAlarmsModel::addInTurn(Turn turn, QString title, BrimDate date, BrimDate now)
{
    const QPointer<BrimAlarmsModel> self(this);
    co_await turn.waitForEarlier();
    if (!self || m_storageIssue)
        co_return;
    const QTimeZone zone = QTimeZone::systemTimeZone();
    // Refused at once when the book as shown refuses it; the file's own list is what gets the alarm.
    if (const auto made = BrimAlarmBook(m_book).add(title, date, now, zone); !made.ok()) {
        setText(m_message, made.error().description());
        co_return;
    }
    const auto addedId = std::make_shared<QUuid>();
    const BrimAlarmStoring::Change change = [title, date, now, zone, addedId](const QList<BrimAlarm> &alarms)
        -> Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError> {
        auto book = BrimAlarmBook::make(alarms);
        if (!book.ok())
            return Failure{BrimAlarmStoreError(book.error())};
        const auto made = book.value().add(title, date, now, zone);
        if (!made.ok())
            return Failure{BrimAlarmStoreError(made.error())};
        *addedId = made.value().id;
        return std::optional(book.value().alarms());
    };
    const LoadResult stored = co_await update(change);
    if (!self)
        co_return;
    if (!stored.ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_message, stored.error().description());
        co_return;
    }
    m_message.reset();
    adopt(stored.value());
    track(OstrelEvent::brimAlarmCreated);
    Q_EMIT added(*addedId);
    synchronize(true);
}

void BrimAlarmsModel::remove(QUuid id)
{
    removeInTurn(takeTurn(), id);
}

QCoro::Task<> BrimAlarmsModel::removeInTurn(Turn turn, QUuid id)
{
    const QPointer<BrimAlarmsModel> self(this);
    co_await turn.waitForEarlier();
    if (!self || m_storageIssue || !contains(id))
        co_return;
    const BrimAlarmStoring::Change change = [id](const QList<BrimAlarm> &alarms)
        -> Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError> {
        QList<BrimAlarm> kept = alarms;
        if (kept.removeIf([&](const BrimAlarm &a) { return a.id == id; }) == 0)
            return std::optional<QList<BrimAlarm>>();
        return std::optional(std::move(kept));
    };
    const LoadResult stored = co_await update(change);
    if (!self)
        co_return;
    if (!stored.ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_message, removalNotSavedMessage());
        co_return;
    }
    // As it is now: it may have fired while the change was saved.
    const auto &alarms = m_book.alarms();
    const auto it = std::find_if(alarms.cbegin(), alarms.cend(), [&](const BrimAlarm &a) { return a.id == id; });
    const bool dismissed = it != alarms.cend() && it->firedAt;
    const QString notification = it != alarms.cend() ? it->notificationID() : QString();
    m_message.reset();
    adopt(stored.value());
    track(dismissed ? OstrelEvent::brimAlarmDismissed : OstrelEvent::brimAlarmCancelled);
    if (m_series && !notification.isEmpty())
        m_series->center().removeDelivered({notification});
    synchronize(false);
}

void BrimAlarmsModel::retryStorage()
{
    retryInTurn(takeTurn());
}

QCoro::Task<> BrimAlarmsModel::retryInTurn(Turn turn)
{
    const QPointer<BrimAlarmsModel> self(this);
    co_await turn.waitForEarlier();
    if (!self)
        co_return;
    // Completions that happened while saving failed win over the file.
    QHash<QUuid, BrimAlarm> inMemory;
    for (const BrimAlarm &alarm : m_book.alarms())
        inMemory.insert(alarm.id, alarm);
    const BrimAlarmStoring::Change change = [inMemory](const QList<BrimAlarm> &alarms)
        -> Result<std::optional<QList<BrimAlarm>>, BrimAlarmStoreError> {
        QList<BrimAlarm> merged;
        for (const BrimAlarm &fromFile : alarms) {
            const auto it = inMemory.constFind(fromFile.id);
            merged.append(it != inMemory.constEnd() && it->firedAt && !fromFile.firedAt ? *it : fromFile);
        }
        if (const auto book = BrimAlarmBook::make(merged); !book.ok())
            return Failure{BrimAlarmStoreError(book.error())};
        return std::optional(std::move(merged));
    };
    const LoadResult stored = co_await update(change);
    if (!self)
        co_return;
    if (!stored.ok()) {
        track(OstrelEvent::brimAlarmStorageFailed);
        setText(m_storageIssue, stored.error().description());
        co_return;
    }
    m_storageIssue.reset();
    m_archiveLoaded = true;
    adopt(stored.value());
    refresh(m_env.clock->now(), true);
    synchronize(false);
}

void BrimAlarmsModel::shutdown()
{
    m_closed = true;
    m_generation = QUuid::createUuid();
    // Quitting must not lose a change on its way to the file; only the
    // worker and its answers run meanwhile.
    while (m_storing > 0) {
        QEventLoop loop;
        connect(m_lastTurn.get(), &BrimCompletion::finished, &loop, &QEventLoop::quit);
        if (!m_lastTurn->isDone())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void BrimAlarmsModel::synchronize(bool requestPermission)
{
    m_generation = QUuid::createUuid();
    updateClosedTimer();
    if (!m_series)
        return;
    m_series->begin(requestPermission);
    if (!m_enabled)
        m_missed.clear(); // not to be shown later, when they would come as a surprise
    if (m_closed || !m_archiveLoaded || !m_enabled)
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
    // The model may go away at any wait; the series stays.
    const std::shared_ptr<BrimNotificationSeries> series = m_series;

    // One worker at a time: the one replaced finishes first.
    if (previous)
        co_await previous->wait();
    if (!current() || (m_book.upcoming().isEmpty() && m_missed.isEmpty()))
        co_return;

    const std::optional<BrimTimerNotificationSettings> settings = co_await series->authorize(requestPermission, current);
    if (!current())
        co_return;
    m_notifying = settings.has_value();
    if (!settings) {
        m_missed.clear();
        co_return;
    }

    // Missed while the app was closed: each shown once, now, without sound.
    while (current() && !m_missed.isEmpty()) {
        const BrimAlarm missed = m_missed.takeFirst();
        if (!contains(missed.id))
            continue;
        BrimNotificationRequest request = notificationRequest(missed, true, false);
        if (!co_await series->show(std::move(request), current))
            co_return;
    }
    if (current())
        series->complete(*settings);
}

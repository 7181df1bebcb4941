#pragma once
// The closed-app alarm timer on systemd's user manager: a timer unit with one
// OnCalendar= line per upcoming alarm starts the delivery command. The unit
// files are written only when their text changes, then the manager is told
// over D-Bus (Reload, then start or stop). Without a user manager nothing is
// written and the answer is false.

#include "models/BrimAlarmTimer.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <memory>

class BrimCompletion;

class SystemdAlarmTimer : public QObject, public BrimAlarmTimer {
    Q_OBJECT

public:
    struct Config {
        QString unitFolder;      // where the user manager finds our units
        QString program;         // run with --deliver-due-alarms
        QStringList environment; // NAME=value pairs the delivery runs with
    };

    SystemdAlarmTimer(QDBusConnection bus, Config config, QObject *parent = nullptr);

    QCoro::Task<bool> schedule(QList<BrimDate> moments) override;

    // The units' file names, from the application's id.
    static QString timerUnit();
    static QString serviceUnit();

private:
    QCoro::Task<bool> apply(QList<BrimDate> moments);
    QCoro::Task<bool> managerPresent();
    // False when the manager refused; `benign` names an error that counts as done.
    QCoro::Task<bool> tell(QString method, QVariantList arguments, QString benign = {});

    QDBusConnection m_bus;
    Config m_config;
    quint64 m_latest = 0;
    bool m_lastAnswer = false;
    // The run under way, which later calls wait for.
    std::shared_ptr<BrimCompletion> m_run;
};

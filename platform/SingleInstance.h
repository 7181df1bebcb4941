#pragma once
// One running instance per session, by owning the application's D-Bus name.
// A later launch asks the owner to show its panel and exits.

#include <QDBusConnection>
#include <QObject>
#include <functional>

class SingleInstance : public QObject {
    Q_OBJECT
    // The interface carries the application's id; a macro argument cannot be computed.
    Q_CLASSINFO("D-Bus Interface", "app.ostrel.brimkit")

public:
    enum class Claim {
        owned,         // this process is the instance
        alreadyRunning, // another process owns the name and was asked to show its panel
        noBus,         // no usable session bus: run unguarded
    };

    explicit SingleInstance(QDBusConnection bus, QObject *parent = nullptr);
    Claim claim();
    // Whether a running instance owns the name; blocks, for a process with no window.
    static bool isRunning(QDBusConnection bus);
    // What StatusTitle answers: the tray title, for scripts and tests.
    void setStatusTitleSource(std::function<QString()> source) { m_statusTitle = std::move(source); }

public Q_SLOTS:
    Q_SCRIPTABLE void ShowPanel();
    Q_SCRIPTABLE QString StatusTitle() const { return m_statusTitle ? m_statusTitle() : QString(); }

Q_SIGNALS:
    void showPanelRequested();

private:
    QDBusConnection m_bus;
    std::function<QString()> m_statusTitle;
};

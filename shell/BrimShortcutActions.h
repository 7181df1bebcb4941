#pragma once
// What each global shortcut does: what the panel's own button for it does
// (the same model call, so the same telemetry and texts follow), with the
// durations the tools show. Results that the panel would show in place are
// announced as a desktop notification instead.

#include "core/BrimShortcutAction.h"
#include "core/BrimTool.h"

#include <QObject>
#include <QCoro/QCoroTask>

#include <functional>
#include <memory>

class BrimClipboard;
class BrimColorModel;
class BrimkitModel;
class BrimkitPanel;
class BrimTimerNotificationCenter;

class BrimShortcutActions : public QObject {
    Q_OBJECT

public:
    struct Environment {
        std::shared_ptr<BrimClipboard> clipboard;
        // Absent, or without a notification server, results go to the panel's message.
        std::shared_ptr<BrimTimerNotificationCenter> notifications;
        std::function<void()> togglePanel;
        // The panel if it was made; its tools hold the durations the user chose.
        std::function<BrimkitPanel *()> panel;
        // The panel's colour model; makes the panel when needed.
        std::function<BrimColorModel &()> colors;
    };

    static inline const QString identifierPrefix = QStringLiteral("brimkit.shortcut.");

    BrimShortcutActions(BrimkitModel &model, Environment environment, QObject *parent = nullptr);

    void run(BrimShortcutAction action);

private:
    int timerMinutes() const;
    int awakeMinutes() const;
    void cleanLink();
    void pickColor();
    QCoro::Task<> announce(BrimTool tool, QString text);

    BrimkitModel &m_model;
    Environment m_env;
};

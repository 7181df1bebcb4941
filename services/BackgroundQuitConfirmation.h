#pragma once
// Asked when the user quits an application that can keep working from the
// tray: keep it running in the background (its windows close), quit, or
// cancel. Quitting cannot be chosen while a task is running.

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>

class DockPresence;
class QMessageBox;
class QPushButton;

class BackgroundQuitConfirmation {
    Q_DECLARE_TR_FUNCTIONS(BackgroundQuitConfirmation)
public:
    enum class Choice { keepRunningInBackground, quitApp, cancel };

    struct Alert {
        std::unique_ptr<QMessageBox> box;
        QPushButton *keepRunning = nullptr;
        QPushButton *quit = nullptr;
        QPushButton *cancel = nullptr;
    };

    // Runs the alert modally over DockPresence::shared(); quitting quits the application.
    static Choice request(const QString &appName, bool busy);
    static Choice request(const QString &appName, bool busy, DockPresence &presence,
                          const std::function<void()> &terminate);

    static Alert makeAlert(const QString &appName, bool busy);
};

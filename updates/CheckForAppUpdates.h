#pragma once
// The update buttons of a settings area: check now, open the update
// settings, and while an installation waits, the host's ways to end the work.

#include <QWidget>

class AppUpdates;
class QPushButton;

class CheckForAppUpdates : public QWidget {
    Q_OBJECT

public:
    // `busy` is the host's; it does not change what is shown.
    CheckForAppUpdates(AppUpdates &updates, bool busy, QWidget *parent = nullptr);

    // "Check for Updates…", enabled only while the updater can check.
    static QPushButton *checkButton(AppUpdates &updates, QWidget *owner);

private:
    AppUpdates &m_updates;
    bool m_busy;
};

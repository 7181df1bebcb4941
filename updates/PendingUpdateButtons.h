#pragma once
// "Close Sessions and Update…" and the host's pending-work button, each
// shown only while an installation waits and the host has configured it.

#include <QObject>

class AppUpdates;
class QPushButton;

class PendingUpdateButtons : public QObject {
    Q_OBJECT

public:
    PendingUpdateButtons(AppUpdates &updates, QObject *parent);

    QPushButton *closeSessions() const { return m_closeSessions; }
    QPushButton *pendingWork() const { return m_pendingWork; }
    void refresh();

private:
    AppUpdates &m_updates;
    QPushButton *m_closeSessions;
    QPushButton *m_pendingWork;
};

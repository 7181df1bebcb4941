#pragma once
// The content of the "Update Settings" window: launch at login, the
// automatic check and download switches, checking now, the controller's
// status line, and the support footer.

#include <QWidget>

class AppUpdates;
class QCheckBox;
class QLabel;

class AppDistributionSettings : public QWidget {
    Q_OBJECT

public:
    // `busy` is the host's; it does not change what is shown.
    AppDistributionSettings(AppUpdates &updates, bool busy, QWidget *parent = nullptr);

private:
    QWidget *createLaunchSection();
    QWidget *createUpdatesSection();
    QWidget *createSupportSection();
    void refresh();

    AppUpdates &m_updates;
    bool m_busy;
    QCheckBox *m_automaticChecks = nullptr;
    QCheckBox *m_automaticDownloads = nullptr;
    QLabel *m_message = nullptr;
};

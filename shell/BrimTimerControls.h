#pragma once
// Countdown and focus-session controls: choose and start a session, follow
// the running one, or act on the one that just finished.

#include "core/BrimTimerKind.h"

#include <QWidget>

class BrimkitModel;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;

class BrimTimerControls : public QWidget {
    Q_OBJECT

public:
    explicit BrimTimerControls(BrimkitModel &model, QWidget *parent = nullptr);

    bool focusMode() const { return m_focus; }
    void setFocusMode(bool focus);
    int timerMinutes() const { return m_timerMinutes; }
    void setTimerMinutes(int minutes);
    // Starts what the pickers show.
    void start();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void syncPickers();

    BrimkitModel &m_model;
    bool m_focus = true;
    int m_timerMinutes = BrimTimerKind(BrimTimerKind::focus).minutes();

    QStackedWidget *m_pages;
    // Completed
    QLabel *m_doneIcon;
    QLabel *m_doneTitle;
    QPushButton *m_dismiss;
    QPushButton *m_next;
    // Idle
    QButtonGroup *m_session;
    QPushButton *m_timerChoice;
    QPushButton *m_pomodoroChoice;
    QStackedWidget *m_durationPages;
    QComboBox *m_focusDuration;
    QSpinBox *m_stepper;
    QPushButton *m_start;
    // Running
    QLabel *m_runningTitle;
    QLabel *m_time;
    QPushButton *m_pause;
    QPushButton *m_cancel;
};

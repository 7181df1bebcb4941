#pragma once
// The tray item's pop-up window: the tool controls and Quit, placed against
// the tray icon and closed by a click elsewhere.

#include <QWidget>

class AppUpdates;
class BrimkitModel;
class BrimAwakeControls;
class BrimTimerControls;
class QLabel;

class BrimkitPopup : public QWidget {
    Q_OBJECT

public:
    BrimkitPopup(BrimkitModel &model, AppUpdates &updates, QWidget *parent = nullptr);

    // Shows the window next to the given tray icon rectangle (global
    // coordinates), or near the cursor when the tray host gave none.
    void popUp(const QRect &anchor);

    BrimAwakeControls *awakeControls() const { return m_awake; }
    BrimTimerControls *timerControls() const { return m_timer; }

Q_SIGNALS:
    void quitRequested();

private:
    void refreshMessage();

    BrimkitModel &m_model;
    BrimAwakeControls *m_awake;
    BrimTimerControls *m_timer;
    QLabel *m_message;
};

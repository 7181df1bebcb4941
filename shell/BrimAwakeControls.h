#pragma once
// Keep-awake: a duration picker and Start, or the end time and a Stop button.

#include <QWidget>

class BrimkitModel;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;

class BrimAwakeControls : public QWidget {
    Q_OBJECT

public:
    // The duration chosen until the user picks another.
    static constexpr int defaultMinutes = 60;

    explicit BrimAwakeControls(BrimkitModel &model, QWidget *parent = nullptr);

    int awakeMinutes() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    BrimkitModel &m_model;
    QStackedWidget *m_pages;
    QComboBox *m_duration;
    QPushButton *m_start;
    QLabel *m_until;
    QLabel *m_untilIcon;
    QPushButton *m_stop;
};

#pragma once
// A compact alarms list for the pop-up: add, cancel, dismiss, and the way
// back from a storage problem.

#include "core/BrimAlarmBook.h"

#include <QWidget>

class BrimkitModel;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class BrimAlarmsSection : public QWidget {
    Q_OBJECT

public:
    explicit BrimAlarmsSection(BrimkitModel &model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void rebuildList();
    void addAlarm();

    BrimkitModel &m_model;
    std::optional<BrimAlarmBook> m_shownBook;
    QLabel *m_issue;
    QPushButton *m_retry;
    QLabel *m_note;
    QVBoxLayout *m_list;
    QLineEdit *m_title;
    QDateTimeEdit *m_when;
    QPushButton *m_add;
};

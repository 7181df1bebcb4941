#pragma once
// The alarms tool: add a one-time alarm with an optional title, list the
// completed and upcoming ones with a button each, and offer a way back from a
// storage problem. Holds only the form; the alarms live in the model.

#include "core/BrimAlarmBook.h"
#include "core/BrimClock.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>
#include <optional>

class BrimAlarmsModel;
class BrimClickGuard;
class BrimDateTimeField;
class BrimFileReveal;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

class BrimAlarmsView : public QWidget {
    Q_OBJECT

public:
    BrimAlarmsView(BrimAlarmsModel &model, std::shared_ptr<BrimClock> clock, std::shared_ptr<BrimFileReveal> reveal,
                   QWidget *parent = nullptr);


    QLineEdit *titleField() const { return m_title; }
    BrimDateTimeField *dateField() const { return m_date; }
    QPushButton *addButton() const { return m_add; }
    bool helpShown() const;

    // Adds an alarm from the form: the date to the start of its minute.
    void add();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createHeader();
    QWidget *createForm();
    QWidget *createStorageSection();
    void toggleHelp();
    void refresh();
    void refreshLimit();
    void rebuildRows();

    BrimAlarmsModel &m_model;
    std::shared_ptr<BrimClock> m_clock;
    std::shared_ptr<BrimFileReveal> m_reveal;
    std::optional<BrimAlarmBook> m_shownBook;
    bool m_shownLocked = false;
    // A second click of a double-click on Add adds nothing.
    QElapsedTimer m_lastAdd;
    // Nor does it reach a row that the add moved under the pointer.
    BrimClickGuard *m_rowGuard;

    QToolButton *m_info = nullptr;
    QFrame *m_help = nullptr;
    QLabel *m_helpText = nullptr;
    QLineEdit *m_title = nullptr;
    BrimDateTimeField *m_date = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_add = nullptr;
    QWidget *m_storage = nullptr;
    QLabel *m_issue = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_limit = nullptr;
    QLabel *m_empty = nullptr;
    QVBoxLayout *m_rows = nullptr;
};

#pragma once
// The Shortcuts section of the settings. Where the app grabs the keys: per
// action its title, a key recorder and a clear button, with a note when the
// key cannot work. Where the desktop assigns them: the trigger it reports
// and a button that asks it to change them. Where neither works: one line
// that says so.

#include "core/BrimShortcutAction.h"
#include "models/BrimGlobalShortcuts.h"

#include <QWidget>

#include <map>

class BrimShortcutRecorder;
class BrimShortcutsModel;
class QLabel;
class QPushButton;
class QToolButton;

class BrimShortcutSettings : public QWidget {
    Q_OBJECT

public:
    explicit BrimShortcutSettings(BrimShortcutsModel &model, QWidget *parent = nullptr);

    BrimShortcutRecorder *recorder(BrimShortcutAction action) const { return m_rows.at(action.value()).recorder; }
    QLabel *note(BrimShortcutAction action) const { return m_rows.at(action.value()).note; }
    QLabel *status() const { return m_status; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Row {
        QLabel *title;
        BrimShortcutRecorder *recorder;
        QToolButton *clear;
        QLabel *trigger;
        QPushButton *change;
        QLabel *note;
    };
    void addRow(class QGridLayout *grid, BrimShortcutAction action);
    void refresh();

    BrimShortcutsModel &m_model;
    QLabel *m_status;
    QWidget *m_table;
    std::map<BrimShortcutAction::Value, Row> m_rows;
};

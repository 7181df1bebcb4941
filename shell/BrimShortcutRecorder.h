#pragma once
// Records one key combination for a global shortcut: recording ends with the
// first key that is not a modifier, so nobody types past what a global
// shortcut can hold. Escape, or leaving without a key, gives up and shows
// the stored combination again.

#include <QKeySequenceEdit>

class BrimShortcutRecorder : public QKeySequenceEdit {
    Q_OBJECT

public:
    explicit BrimShortcutRecorder(QWidget *parent = nullptr);

    // Names the recorder and the line edit inside it, which screen readers list on its own.
    void setAccessibleTitle(const QString &title);

    // Shows the stored combination, and ends any recording.
    void setStored(const QKeySequence &combination);

Q_SIGNALS:
    void recorded(const QKeySequence &combination);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QKeySequence m_stored;
    bool m_recording = false;
};

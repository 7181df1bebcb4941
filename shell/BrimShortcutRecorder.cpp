#include "shell/BrimShortcutRecorder.h"

#include <QKeyEvent>
#include <QLineEdit>

BrimShortcutRecorder::BrimShortcutRecorder(QWidget *parent)
    : QKeySequenceEdit(parent)
{
    // Only a recording given up ends this way: a finished one was reset at its key.
    connect(this, &QKeySequenceEdit::editingFinished, this, [this] { setStored(m_stored); });
}

void BrimShortcutRecorder::setAccessibleTitle(const QString &title)
{
    setAccessibleName(title);
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        edit->setAccessibleName(title);
}

void BrimShortcutRecorder::setStored(const QKeySequence &combination)
{
    m_stored = combination;
    m_recording = false;
    const QSignalBlocker blocker(this);
    // Clearing first resets the recording even when the text stays the same.
    clear();
    setKeySequence(combination);
}

void BrimShortcutRecorder::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!m_recording) {
            // Nothing to give up: the panel closes its pane.
            event->ignore();
            return;
        }
        setStored(m_stored);
        return;
    }
    m_recording = true;
    QKeySequenceEdit::keyPressEvent(event);
    if (keySequence().isEmpty())
        return; // modifiers so far
    const QKeySequence combination(keySequence()[0]);
    setStored(m_stored);
    Q_EMIT recorded(combination);
}

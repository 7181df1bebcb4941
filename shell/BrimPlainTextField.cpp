#include "shell/BrimPlainTextField.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

#include <limits>

namespace {
constexpr qsizetype longestWordWrapped = 400;
constexpr qsizetype nowhere = std::numeric_limits<qsizetype>::max();

bool isCrLf(const QString &text, qsizetype at)
{
    return at >= 0 && at + 1 < text.size() && text.at(at) == u'\r' && text.at(at + 1) == u'\n';
}
} // namespace

BrimPlainTextField::BrimPlainTextField(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int) { m_changedFrom = std::min<qsizetype>(m_changedFrom, position); });
    connect(this, &QPlainTextEdit::textChanged, this, &BrimPlainTextField::applyEdit);
}

void BrimPlainTextField::setText(const QString &text)
{
    if (text == m_text)
        return;
    fitWrapping(this, text);
    m_setting = true;
    setPlainText(text);
    m_setting = false;
    m_text = text;
    m_shown = document()->toRawText();
    m_changedFrom = nowhere;
}

QString BrimPlainTextField::documentForm(QStringView text)
{
    QString form;
    form.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        // What QTextCursor::insertText starts a new paragraph at.
        const bool paragraph = c == u'\r' || c == u'\n' || c == 0xFDD0 || c == 0xFDD1;
        form += paragraph ? QChar(QChar::ParagraphSeparator) : QChar(c);
    }
    return form;
}

void BrimPlainTextField::applyEdit()
{
    const qsizetype hint = std::exchange(m_changedFrom, nowhere);
    if (m_setting)
        return;
    const QString now = document()->toRawText();
    if (now == m_shown)
        return; // formatting only
    // The stretch that changed, between the unchanged start and end; it
    // begins no later than the document said.
    const qsizetype shortest = std::min(m_shown.size(), now.size());
    qsizetype prefix = 0;
    while (prefix < std::min(shortest, hint) && m_shown.at(prefix) == now.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shortest - prefix && m_shown.at(m_shown.size() - 1 - suffix) == now.at(now.size() - 1 - suffix))
        ++suffix;

    // The same stretches of the exact text, where a CR LF is one paragraph break.
    qsizetype from = 0;
    for (qsizetype unit = 0; unit < prefix; ++unit)
        from += isCrLf(m_text, from) ? 2 : 1;
    qsizetype to = m_text.size();
    for (qsizetype unit = 0; unit < suffix; ++unit)
        to -= to - 2 >= from && isCrLf(m_text, to - 2) ? 2 : 1;

    const QStringView changed = QStringView(now).mid(prefix, now.size() - suffix - prefix);
    QString replacement;
    if (!m_inserting.isNull() && documentForm(m_inserting) == changed) {
        replacement = m_inserting;
    } else {
        // Typed: a new paragraph is the Return key's line feed.
        replacement = changed.toString();
        replacement.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    }
    m_text.replace(from, to - from, replacement);
    m_shown = now;
    Q_EMIT edited(m_text);
}

void BrimPlainTextField::insertFromMimeData(const QMimeData *source)
{
    // Pasted or dropped text is laid out before anyone hears of the change,
    // so the wrapping is fitted to it beforehand.
    if (source->hasText()) {
        m_inserting = source->text();
        if (wordWrapMode() != QTextOption::WrapAnywhere)
            fitWrapping(this, m_inserting);
    }
    QPlainTextEdit::insertFromMimeData(source);
    m_inserting = QString();
}

void BrimPlainTextField::keyPressEvent(QKeyEvent *event)
{
    const bool backtab = event->key() == Qt::Key_Backtab;
    const bool moving = backtab || (event->key() == Qt::Key_Tab && (event->modifiers() & Qt::ControlModifier));
    if (moving) {
        // Past this editor, to the window's (the panel's) own focus order.
        QWidget::focusNextPrevChild(!backtab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void BrimPlainTextField::fitWrapping(QPlainTextEdit *editor, QStringView text)
{
    qsizetype run = 0;
    bool longWord = false;
    for (QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longestWordWrapped) {
            longWord = true;
            break;
        }
    }
    const auto mode = longWord ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (editor->wordWrapMode() != mode)
        editor->setWordWrapMode(mode);
}

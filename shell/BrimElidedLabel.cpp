#include "shell/BrimElidedLabel.h"

#include <QEvent>

BrimElidedLabel::BrimElidedLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setFullText(text);
}

void BrimElidedLabel::setFullText(const QString &text)
{
    if (text == m_text && !QLabel::text().isEmpty())
        return;
    m_text = text;
    setToolTip(text);
    setAccessibleName(text);
    elide();
    updateGeometry();
}

QSize BrimElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

QSize BrimElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text), QLabel::sizeHint().height()};
}

void BrimElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void BrimElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        elide();
}

void BrimElidedLabel::elide()
{
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideRight, std::max(0, contentsRect().width()));
    if (shown != QLabel::text())
        setText(shown);
}

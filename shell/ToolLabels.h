#pragma once
// The pieces the tool views share: bold section headings, short grey
// footnotes that wrap within the detail pane, messages and dividers.

#include <QFrame>
#include <QLabel>

#include <algorithm>

inline QLabel *toolHeading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

inline QLabel *toolFootnote(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

// A message that appears and disappears with the state it reports.
inline QLabel *toolMessage()
{
    auto *label = new QLabel;
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->hide();
    return label;
}

// Caption-size secondary text: a footnote one step smaller.
inline QLabel *toolCaption(const QString &text = {})
{
    QLabel *label = toolFootnote(text);
    QFont font = label->font();
    font.setPointSizeF(std::max(font.pointSizeF() - 1.5, 7.0));
    label->setFont(font);
    return label;
}

// A thin sunken line between sections or rows.
inline QFrame *toolDivider()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

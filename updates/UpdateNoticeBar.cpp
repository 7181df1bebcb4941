#include "updates/UpdateNoticeBar.h"

#include "updates/AppUpdates.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

UpdateNoticeBar::UpdateNoticeBar(AppUpdates &updates, QMargins margins,
                                 std::function<std::optional<QString>()> buttonTitle, std::function<void()> action,
                                 QWidget *parent)
    : QWidget(parent)
    , m_updates(updates)
    , m_buttonTitle(std::move(buttonTitle))
    , m_message(new QLabel)
    , m_button(new QPushButton)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::AlternateBase);
    auto *symbol = new QLabel;
    const int size = fontMetrics().height();
    symbol->setPixmap(QIcon(QStringLiteral(":/symbols/arrow.down.circle.svg")).pixmap(size, size));
    m_message->setWordWrap(true);
    QFont callout = m_message->font();
    if (callout.pointSizeF() > 0)
        callout.setPointSizeF(callout.pointSizeF() * 0.95);
    m_message->setFont(callout);

    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    row->setContentsMargins(margins);
    row->addWidget(symbol);
    row->addWidget(m_message, 1);
    row->addWidget(m_button);
    auto *divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(row);
    layout->addWidget(divider);

    connect(m_button, &QPushButton::clicked, this, std::move(action));
    connect(&m_updates, &AppUpdates::changed, this, &UpdateNoticeBar::refresh);
    refresh();
}

void UpdateNoticeBar::refresh()
{
    const std::optional<QString> title = m_buttonTitle();
    setVisible(title.has_value());
    if (!title)
        return;
    m_button->setText(*title);
    m_message->setText(m_updates.message());
}

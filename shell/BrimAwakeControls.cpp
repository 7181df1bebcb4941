#include "shell/BrimAwakeControls.h"

#include "models/BrimkitModel.h"
#include "shell/BrimSymbols.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
constexpr int durationChoices[] = {15, 30, 60, 120};
}

BrimAwakeControls::BrimAwakeControls(BrimkitModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pages(new QStackedWidget(this))
    , m_duration(new QComboBox)
    , m_start(new QPushButton(tr("Start")))
    , m_until(new QLabel)
    , m_untilIcon(new QLabel)
    , m_stop(new QPushButton(tr("Stop keeping awake")))
{
    auto *idle = new QWidget;
    auto *idleRow = new QHBoxLayout(idle);
    idleRow->setContentsMargins(0, 0, 0, 0);
    auto *durationLabel = new QLabel(tr("Duration"));
    durationLabel->setBuddy(m_duration);
    for (int minutes : durationChoices)
        m_duration->addItem(tr("%1 min").arg(minutes), minutes);
    m_duration->setCurrentIndex(m_duration->findData(defaultMinutes));
    m_duration->setAccessibleName(tr("Duration"));
    setFocusProxy(m_duration);
    m_start->setAccessibleName(tr("Start keeping awake"));
    idleRow->addWidget(durationLabel);
    idleRow->addWidget(m_duration, 1);
    idleRow->addWidget(m_start);

    auto *active = new QWidget;
    auto *activeRow = new QVBoxLayout(active);
    activeRow->setContentsMargins(0, 0, 0, 0);
    auto *untilRow = new QHBoxLayout;
    untilRow->addWidget(m_untilIcon);
    untilRow->addWidget(m_until, 1);
    activeRow->addLayout(untilRow);
    activeRow->addWidget(m_stop);

    m_pages->addWidget(idle);
    m_pages->addWidget(active);

    auto *caption = new QLabel(
        tr("Prevents idle sleep. Your display may turn off; closing the lid can still sleep the computer."));
    caption->setWordWrap(true);
    caption->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
    layout->addWidget(caption);

    connect(m_start, &QPushButton::clicked, this, [this] { m_model.startAwake(awakeMinutes()); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_model.stopAwake(); });
    connect(&m_model, &BrimkitModel::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    refresh();
}

int BrimAwakeControls::awakeMinutes() const
{
    return m_duration->currentData().toInt();
}

void BrimAwakeControls::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimAwakeControls::refresh()
{
    const auto until = m_model.awakeUntil();
    // The pages keep one height, so the caption below never moves.
    m_pages->setCurrentIndex(until ? 1 : 0);
    if (until) {
        m_until->setText(tr("Awake until %1").arg(BrimTimePresentation::timeText(*until)));
        m_untilIcon->setPixmap(BrimSymbols::pixmap(QStringLiteral("sun.max"), 16, palette().color(QPalette::WindowText)));
    }
}

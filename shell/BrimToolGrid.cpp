#include "shell/BrimToolGrid.h"

#include "models/BrimkitModel.h"
#include "shell/BrimClickGuard.h"
#include "shell/BrimToolCard.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

BrimToolGrid::BrimToolGrid(int width, QWidget *parent)
    : QWidget(parent)
    , m_width(width)
    , m_layout(new QGridLayout)
    , m_empty(new QLabel(tr("Enable a tool in Customize tools.")))
    , m_guard(new BrimClickGuard(this))
{
    setFixedWidth(width);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(spacing);
    m_empty->setWordWrap(true);
    m_empty->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_empty);
    layout->addLayout(m_layout);
    layout->addStretch(1);
}

BrimToolCard *BrimToolGrid::card(BrimTool tool) const
{
    const auto found = m_cards.find(tool.value());
    return found != m_cards.end() && m_tools.contains(tool) ? found->second : nullptr;
}

BrimToolCard *BrimToolGrid::cardFor(BrimTool tool)
{
    if (const auto found = m_cards.find(tool.value()); found != m_cards.end())
        return found->second;
    auto *card = new BrimToolCard(tool, this);
    card->hide();
    m_guard->protect(card);
    m_guard->protect(card->star());
    connect(card, &BrimToolCard::clicked, this, [this, tool] { Q_EMIT cardClicked(tool); });
    connect(card, &BrimToolCard::favoriteClicked, this, [this, tool] { Q_EMIT favoriteClicked(tool); });
    m_cards.emplace(tool.value(), card);
    return card;
}

void BrimToolGrid::setTools(const QList<BrimTool> &ordered, const QList<BrimTool> &favorites)
{
    // Starring re-orders the cards; under the pointer that would move another
    // card's star where the user clicks next, so the new order waits until
    // the pointer has left (or the grid is shown again).
    const bool sameTools = ordered.size() == m_tools.size()
        && std::is_permutation(ordered.cbegin(), ordered.cend(), m_tools.cbegin());
    if (ordered != m_tools && sameTools && isVisible() && underMouse())
        m_pendingOrder = ordered;
    else
        layOut(ordered);
    for (BrimTool tool : ordered)
        cardFor(tool)->setFavorite(favorites.contains(tool));
}

void BrimToolGrid::leaveEvent(QEvent *event)
{
    if (m_pendingOrder)
        layOut(*std::exchange(m_pendingOrder, std::nullopt));
    QWidget::leaveEvent(event);
}

void BrimToolGrid::hideEvent(QHideEvent *event)
{
    if (m_pendingOrder)
        layOut(*std::exchange(m_pendingOrder, std::nullopt));
    QWidget::hideEvent(event);
}

void BrimToolGrid::layOut(const QList<BrimTool> &ordered)
{
    m_pendingOrder.reset();
    if (ordered == m_tools)
        return;
    // Cards that move on screen take no click meant for what was there.
    if (isVisible())
        m_guard->arm();
    m_tools = ordered;
    while (QLayoutItem *item = m_layout->takeAt(0))
        delete item;
    for (auto &[value, card] : m_cards)
        card->setVisible(ordered.contains(BrimTool(value)));
    const int columns = this->columns();
    const int cardWidth = (m_width - (columns - 1) * spacing) / columns;
    QWidget *previous = nullptr;
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        BrimToolCard *card = cardFor(ordered.at(i));
        card->setFixedSize(cardWidth, BrimToolCard::height);
        m_layout->addWidget(card, int(i / columns), int(i % columns));
        card->show();
        // Tab goes through the cards in grid order, each card before its star.
        if (previous)
            setTabOrder(previous, card);
        setTabOrder(card, card->star());
        previous = card->star();
    }
    m_empty->setVisible(ordered.isEmpty());
    // The titles share one size, decided by the widest.
    QStringList titles;
    for (BrimTool tool : ordered)
        titles << tool.title();
    if (!ordered.isEmpty()) {
        BrimToolCard *first = cardFor(ordered.first());
        const QFont shared = BrimToolCard::titleFontFor(titles, first->titleWidth(), first->font());
        for (BrimTool tool : ordered)
            cardFor(tool)->setTitleFont(shared);
    }
}

void BrimToolGrid::setSelected(std::optional<BrimTool> tool)
{
    for (auto &[value, card] : m_cards)
        card->setSelected(tool && tool->value() == value);
}

void BrimToolGrid::refreshStatus(const BrimkitModel &model)
{
    for (BrimTool tool : m_tools)
        cardFor(tool)->setStatus(status(tool, model));
}

std::optional<QString> BrimToolGrid::status(BrimTool tool, const BrimkitModel &model)
{
    switch (tool.value()) {
    case BrimTool::awake:
        if (model.awakeUntil())
            return tr("Active");
        return std::nullopt;
    case BrimTool::timer:
        if (model.isTiming())
            return BrimTimePresentation::clockText(model.countdown().secondsLeft(model.now()));
        return std::nullopt;
    case BrimTool::alarms: {
        const BrimAlarmBook &book = model.alarms().book();
        if (!book.completed().isEmpty())
            return tr("Due");
        const QList<BrimAlarm> upcoming = book.upcoming();
        if (!upcoming.isEmpty())
            return BrimTimePresentation::timeText(upcoming.first().date);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

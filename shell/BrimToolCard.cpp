#include "shell/BrimToolCard.h"

#include "services/AppTheme.h"
#include "shell/BrimSymbolButton.h"
#include "shell/BrimSymbols.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

constexpr int padding = 10;
constexpr int symbolSize = 20;
constexpr int starSize = 22;

// A button that also reports whether it is the selected card.
class CardAccessible final : public QAccessibleWidget {
public:
    explicit CardAccessible(BrimToolCard *card)
        : QAccessibleWidget(card, QAccessible::Button)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = card()->isSelected();
        return state;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            card()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    BrimToolCard *card() const { return static_cast<BrimToolCard *>(widget()); }
};

QAccessibleInterface *cardAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("BrimToolCard") && object && object->isWidgetType())
        return new CardAccessible(static_cast<BrimToolCard *>(object));
    return nullptr;
}

QColor faded(QColor color, qreal alpha)
{
    color.setAlphaF(alpha);
    return color;
}

} // namespace

BrimToolCard::BrimToolCard(BrimTool tool, QWidget *parent)
    : QAbstractButton(parent)
    , m_tool(tool)
    , m_star(new BrimSymbolButton({}, this))
{
    static const bool factoryInstalled = (QAccessible::installFactory(cardAccessible), true);
    Q_UNUSED(factoryInstalled);

    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setText(tool.title());
    m_star->setFixedSize(starSize, starSize);
    m_star->setIconSize(QSize(14, 14));
    connect(m_star, &QToolButton::clicked, this, &BrimToolCard::favoriteClicked);
    refreshStar();
    refreshAccessibleName();
}

QFont BrimToolCard::titleFontFor(const QStringList &titles, int width, QFont font)
{
    // A little smaller if the widest title needs it, then no smaller.
    font.setWeight(QFont::DemiBold);
    const qreal smallest = font.pointSizeF() * 0.8;
    const auto widest = [&] {
        int most = 0;
        for (const QString &title : titles)
            most = std::max(most, QFontMetrics(font).horizontalAdvance(title));
        return most;
    };
    while (widest() > width && font.pointSizeF() - 0.5 >= smallest)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

void BrimToolCard::setTitleFont(const QFont &font)
{
    if (m_titleFont == font)
        return;
    m_titleFont = font;
    update();
}

int BrimToolCard::titleWidth() const
{
    return width() - 2 * padding;
}

QSize BrimToolCard::sizeHint() const
{
    return {96, height};
}

void BrimToolCard::setStatus(const std::optional<QString> &status)
{
    if (status == m_status)
        return;
    m_status = status;
    refreshAccessibleName();
    update();
}

void BrimToolCard::setFavorite(bool favorite)
{
    if (favorite == m_favorite)
        return;
    m_favorite = favorite;
    refreshStar();
}

void BrimToolCard::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    QAccessible::State change;
    change.selected = true;
    QAccessibleStateChangeEvent event(this, change);
    QAccessible::updateAccessibility(&event);
    update();
}

void BrimToolCard::refreshStar()
{
    const QString title = m_tool.title();
    const QString name = m_favorite ? tr("Unfavorite %1").arg(title) : tr("Favorite %1").arg(title);
    m_star->setAccessibleName(name);
    m_star->setToolTip(name);
    const QColor tint = m_favorite ? AppTheme::accent(palette()) : palette().color(QPalette::PlaceholderText);
    m_star->setIcon(BrimSymbols::icon(m_favorite ? QStringLiteral("star.fill") : QStringLiteral("star"), tint));
}

void BrimToolCard::refreshAccessibleName()
{
    QString name = m_tool.title();
    if (m_status)
        name += QStringLiteral(", ") + *m_status;
    setAccessibleName(name);
    setToolTip(name);
}

void BrimToolCard::resizeEvent(QResizeEvent *event)
{
    m_star->move(width() - starSize - 4, 4);
    QAbstractButton::resizeEvent(event);
}

void BrimToolCard::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        refreshStar();
    QAbstractButton::changeEvent(event);
}

void BrimToolCard::keyPressEvent(QKeyEvent *event)
{
    // Enter acts like Space, as on the panel's other buttons.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void BrimToolCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &colors = palette();
    const QColor ink = colors.color(QPalette::WindowText);

    QColor fill = colors.color(QPalette::Base);
    if (isDown())
        fill = AppTheme::isDark(colors) ? fill.lighter(130) : fill.darker(108);
    else if (underMouse())
        fill = AppTheme::isDark(colors) ? fill.lighter(115) : fill.darker(103);
    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setBrush(fill);
    painter.setPen(m_selected ? QPen(AppTheme::accent(colors), 2) : QPen(faded(ink, 0.10), 1));
    painter.drawRoundedRect(frame, 10, 10);
    if (hasFocus()) {
        QPen ring(colors.color(QPalette::Highlight), 1, Qt::DashLine);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(3, 3, -3, -3), 7, 7);
    }

    painter.drawPixmap(padding, padding,
                       BrimSymbols::pixmap(m_tool.symbol(), symbolSize, ink, devicePixelRatioF()));

    // One line, in the grid's shared title font (elided only if even that is too wide).
    const int textWidth = width() - 2 * padding;
    const QFont titleFont = m_titleFont.value_or(titleFontFor({text()}, textWidth, font()));
    const QFontMetrics titleMetrics(titleFont);
    painter.setFont(titleFont);
    painter.setPen(ink);
    const int titleTop = padding + symbolSize + 6;
    painter.drawText(QRect(padding, titleTop, textWidth, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     titleMetrics.elidedText(text(), Qt::ElideRight, textWidth));

    if (m_status) {
        QFont statusFont = font();
        statusFont.setPointSizeF(font().pointSizeF() * 0.85);
        const QFontMetrics statusMetrics(statusFont);
        painter.setFont(statusFont);
        painter.setPen(colors.color(QPalette::PlaceholderText));
        painter.drawText(QRect(padding, titleTop + titleMetrics.height(), textWidth, statusMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, statusMetrics.elidedText(*m_status, Qt::ElideRight, textWidth));
    }
}

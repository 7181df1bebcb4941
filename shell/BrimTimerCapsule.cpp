#include "shell/BrimTimerCapsule.h"

#include "models/BrimkitModel.h"
#include "services/AppTheme.h"
#include "services/DisabledReason.h"
#include "shell/BrimClickGuard.h"
#include "shell/BrimSymbols.h"
#include "shell/CapsuleLogging.h"

#include <QEnterEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int headerSpacing = 10;
constexpr int sectionSpacing = 12;
constexpr int symbolSize = 18;

// Qt 6.4 cannot ask a face for tabular figures: keep the face when its
// digits already share one width, else take the fixed-pitch system face.
QFont withTabularDigits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (metrics.horizontalAdvance(QLatin1Char(digit)) != zero) {
            QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            fixed.setPointSizeF(font.pointSizeF());
            fixed.setWeight(font.weight());
            return fixed;
        }
    }
    return font;
}

QFont sized(QFont font, qreal points, QFont::Weight weight)
{
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

QLabel *passiveLabel()
{
    auto *label = new QLabel;
    // Clicks anywhere on the header belong to the header button.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QString symbolOf(const BrimTimePresentation &p)
{
    if (const auto *c = p.countdown())
        return c->kind.symbol();
    if (p.timerComplete())
        return QStringLiteral("checkmark.circle.fill");
    return QStringLiteral("alarm.fill");
}

QString nameOf(const BrimTimePresentation &p)
{
    if (const auto *c = p.countdown())
        return c->kind.title();
    if (const auto *t = p.timerComplete())
        return t->kind.completionTitle();
    return p.alarm()->alarm.title;
}

} // namespace

QString BrimTimerCapsule::shortName(const QString &text, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    for (qsizetype end = text.lastIndexOf(u' '); end > 0; end = text.lastIndexOf(u' ', end - 1)) {
        const QString shortened = text.left(end).trimmed() + ellipsis;
        if (!text.left(end).trimmed().isEmpty() && metrics.horizontalAdvance(shortened) <= width)
            return shortened;
    }
    QString cut = metrics.elidedText(text, Qt::ElideRight, width);
    cut.chop(1);
    if (!cut.isEmpty() && cut.back().isDigit() && text.at(cut.size()).isDigit()) {
        while (!cut.isEmpty() && cut.back().isDigit())
            cut.chop(1);
    }
    return cut.trimmed() + ellipsis;
}

BrimTimerCapsule::BrimTimerCapsule(BrimkitModel &model, CapsuleWindow::Hooks hooks, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_hooks(std::move(hooks))
    , m_layout(new QVBoxLayout(this))
    , m_guard(new BrimClickGuard(this))
{
    setAccessibleName(tr("Brimkit Timer"));
    m_layout->setSpacing(sectionSpacing);
    m_layout->addWidget(createHeader());
    m_layout->addWidget(createDetails());
    present(false);
}

QWidget *BrimTimerCapsule::createHeader()
{
    m_header = new QPushButton;
    m_header->setFlat(true);
    m_header->setFocusPolicy(Qt::NoFocus);
    m_symbol = passiveLabel();
    m_name = passiveLabel();
    m_name->setFont(sized(font(), 13, QFont::Medium));
    // The name gives way to the time and is elided to the space left.
    m_name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_name->setMinimumHeight(m_name->fontMetrics().height());
    m_name->installEventFilter(this);
    m_more = passiveLabel();
    m_more->setFont(sized(font(), 13, QFont::Normal));
    m_more->setForegroundRole(QPalette::PlaceholderText);
    m_paused = passiveLabel();
    m_value = passiveLabel();
    m_value->setFont(withTabularDigits(sized(font(), 14, QFont::DemiBold)));

    auto *row = new QHBoxLayout(m_header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(headerSpacing);
    row->addWidget(m_symbol);
    row->addWidget(m_name, 1);
    row->addWidget(m_more);
    row->addWidget(m_paused);
    row->addWidget(m_value);
    connect(m_header, &QPushButton::clicked, this, [this] {
        if (m_hooks.toggle)
            m_hooks.toggle();
    });
    return m_header;
}

QWidget *BrimTimerCapsule::createDetails()
{
    m_details = new QWidget;
    m_detail = new QLabel;
    m_detail->setWordWrap(true);
    m_detail->setForegroundRole(QPalette::PlaceholderText);
    m_detail->setFont(sized(font(), std::max(font().pointSizeF() - 2, 8.0), QFont::Normal));
    m_secondary = new QPushButton;
    m_primary = new QPushButton;
    // Small controls that never take focus from the window the user works in.
    for (QPushButton *button : {m_secondary, m_primary}) {
        m_guard->protect(button);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(sized(font(), std::max(font().pointSizeF() - 1, 8.0), QFont::Normal));
    }
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(m_secondary);
    buttons->addStretch(1);
    buttons->addWidget(m_primary);
    auto *column = new QVBoxLayout(m_details);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(sectionSpacing);
    column->addWidget(m_detail);
    column->addLayout(buttons);
    connect(m_primary, &QPushButton::clicked, this, &BrimTimerCapsule::primaryClicked);
    connect(m_secondary, &QPushButton::clicked, this, &BrimTimerCapsule::secondaryClicked);
    return m_details;
}

void BrimTimerCapsule::present(bool expanded)
{
    m_shown = m_model.timePresentation();
    m_expanded = expanded;
    const int vertical = expanded ? 16 : 12;
    m_layout->setContentsMargins(horizontalPadding, vertical, horizontalPadding, vertical);
    m_header->setVisible(m_shown.has_value());
    m_details->setVisible(m_shown && expanded);
    if (!m_shown)
        return;
    showHeader(*m_shown);
    if (expanded)
        showDetails(*m_shown);
    // The buttons now act on something else (a finished session, another or
    // a fired alarm): a click meant for what was there is not theirs.
    // Pause turning into Resume, or expanding, changes nothing they act on.
    QString target;
    if (const auto *c = m_shown->countdown())
        target = QStringLiteral("countdown ") + c->id.toString();
    else if (const auto *t = m_shown->timerComplete())
        target = QStringLiteral("finished ") + t->id.toString();
    else
        target = m_shown->alarm()->alarm.id.toString() + (m_shown->isComplete() ? QStringLiteral(" fired") : QString());
    if (std::exchange(m_target, target) != target)
        m_guard->arm();
}

void BrimTimerCapsule::showHeader(const BrimTimePresentation &p)
{
    setSymbol(symbolOf(p));
    const QString name = nameOf(p);
    if (name != m_nameText) {
        m_nameText = name;
        elideName();
    }
    // Several fired alarms: the first is named, the rest counted.
    const qsizetype fired = p.alarm() && p.isComplete() ? m_model.alarms().book().completed().size() : 0;
    const QString more = fired > 1 ? tr("and %1 more").arg(fired - 1) : QString();
    m_more->setText(more);
    m_more->setVisible(!more.isEmpty());
    const auto *countdown = p.countdown();
    m_paused->setVisible(countdown && countdown->paused);
    const auto value = p.value();
    m_value->setVisible(value.has_value());
    m_value->setText(value.value_or(QString()));
    QString spoken = name;
    if (!p.isComplete())
        spoken += QStringLiteral(", ") + value.value_or(QString()) + tr(", timer controls");
    else if (!more.isEmpty())
        spoken += QStringLiteral(", ") + more;
    m_header->setAccessibleName(spoken);
}

void BrimTimerCapsule::showDetails(const BrimTimePresentation &p)
{
    const auto &storageIssue = m_model.alarms().storageIssue();
    const bool blocked = p.alarm() && storageIssue;
    m_detail->setText(blocked ? *storageIssue : p.detail());
    const QString secondary = p.secondaryTitle();
    m_secondary->setText(secondary);
    setDisabledReason(m_secondary, blocked ? std::optional(tr("Open Alarms and retry saving before dismissing.")) : std::nullopt,
                      secondary);
    const auto primary = p.primaryTitle();
    m_primary->setVisible(primary.has_value());
    if (primary)
        m_primary->setText(*primary);
}

void BrimTimerCapsule::setSymbol(const QString &symbol)
{
    // Rendering the symbol is the costly part of a refresh: only on change.
    if (symbol == m_symbolName)
        return;
    m_symbolName = symbol;
    const qreal ratio = devicePixelRatioF();
    m_symbol->setPixmap(BrimSymbols::pixmap(symbol, symbolSize, AppTheme::accent(palette()), ratio));
    m_paused->setPixmap(BrimSymbols::pixmap(QStringLiteral("pause.fill"), symbolSize * 2 / 3,
                                            palette().color(QPalette::PlaceholderText), ratio));
    QPalette tinted = m_primary->palette();
    tinted.setColor(QPalette::Button, AppTheme::controlAccent(palette()));
    tinted.setColor(QPalette::ButtonText, Qt::white);
    m_primary->setPalette(tinted);
}

void BrimTimerCapsule::elideName()
{
    m_name->setText(shortName(m_nameText, m_name->fontMetrics(), m_name->width()));
}

bool BrimTimerCapsule::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_name && event->type() == QEvent::Resize)
        elideName();
    return QWidget::eventFilter(watched, event);
}

bool BrimTimerCapsule::isCurrent(const QUuid &timerID) const { return timerID == m_model.timerID(); }

void BrimTimerCapsule::primaryClicked()
{
    if (!m_shown)
        return;
    if (const auto *c = m_shown->countdown(); c && isCurrent(c->id))
        m_model.pauseOrResume();
    else if (const auto *t = m_shown->timerComplete(); t && isCurrent(t->id))
        m_model.startNextSession();
}

void BrimTimerCapsule::secondaryClicked()
{
    if (!m_shown)
        return;
    if (const auto *c = m_shown->countdown(); c && isCurrent(c->id))
        m_model.cancelTimer();
    else if (const auto *t = m_shown->timerComplete(); t && isCurrent(t->id))
        m_model.dismissCompletion();
    else if (const auto *a = m_shown->alarm())
        m_model.alarms().remove(a->alarm.id);
}

void BrimTimerCapsule::enterEvent(QEnterEvent *event)
{
    if (m_hooks.hover)
        m_hooks.hover(true);
    QWidget::enterEvent(event);
}

void BrimTimerCapsule::leaveEvent(QEvent *event)
{
    if (m_hooks.hover)
        m_hooks.hover(false);
    QWidget::leaveEvent(event);
}

void BrimTimerCapsule::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange) {
        m_symbolName.clear();
        if (m_shown)
            setSymbol(symbolOf(*m_shown));
    }
    QWidget::changeEvent(event);
}

void BrimTimerCapsule::paintEvent(QPaintEvent *)
{
    // Counted by bench/idle_cost.sh: a running countdown repaints once a second.
    qCDebug(lcCapsule) << "painted";
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.12f);
    painter.setPen(QPen(border, 1));
    painter.setBrush(palette().color(QPalette::Window));
    const qreal radius = cornerRadius();
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

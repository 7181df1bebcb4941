#include "shell/BrimkitPanel.h"

#include "core/BrimPanelPlacement.h"
#include "core/BrimToolPreferences.h"
#include "models/BrimColorModel.h"
#include "models/BrimkitLogging.h"
#include "models/BrimkitModel.h"
#include "models/BrimQRModel.h"
#include "models/BrimTextModel.h"
#include "platform/HeapRelease.h"
#include "services/AppTheme.h"
#include "shell/BrimAlarmsView.h"
#include "shell/BrimAppsControls.h"
#include "shell/BrimAwakeControls.h"
#include "shell/BrimColorsView.h"
#include "shell/BrimLinkControls.h"
#include "shell/BrimPanelAside.h"
#include "shell/BrimPanelCustomization.h"
#include "shell/BrimQRView.h"
#include "shell/BrimSymbolButton.h"
#include "shell/BrimSymbols.h"
#include "shell/BrimTextView.h"
#include "shell/BrimTimerControls.h"
#include "shell/BrimTimerOptions.h"
#include "shell/BrimToolCard.h"
#include "shell/BrimToolGrid.h"
#include "shell/ToolLabels.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int margin = 14;
constexpr int bodySpacing = 12;
// A click on the tray may first take the focus from the panel, closing it,
// and then reach the icon.
constexpr int reopenGuardMs = 300;
// How long the panel stays hidden before it gives back its window.
constexpr int releaseAfterMs = 5000;
constexpr int minimumPaneHeight = 160;

// The message bar's rounded, faintly tinted background.
class MessageFrame final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.06);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
    }
};

QToolButton *symbolButton(const QString &name)
{
    auto *button = new BrimSymbolButton(name);
    button->setIconSize(QSize(16, 16));
    return button;
}

bool isTabStop(const QWidget *widget)
{
    if (!widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
        return false;
    // Of a set of exclusive choices only the chosen one is a Tab stop.
    const auto *choice = qobject_cast<const QAbstractButton *>(widget);
    return !(choice && choice->group() && choice->group()->exclusive() && !choice->isChecked());
}

// The widgets inside a widget that can take Tab, shown or not, in the order
// of its widget tree: the tools lay their controls out in the order they make
// them, and rows made later (alarms) follow the controls above them.
void collectTabStops(QWidget *root, QList<QWidget *> &stops)
{
    for (QObject *child : root->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        if (widget->focusPolicy() & Qt::TabFocus)
            stops << widget;
        collectTabStops(widget, stops);
    }
}

} // namespace

// A tool window rather than a pop-up: Qt leaves pop-ups out of what
// assistive technologies see. It closes when it loses the focus, as a
// pop-up would.
BrimkitPanel::BrimkitPanel(BrimkitModel &model, AppUpdates *updates, Environment environment, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_model(model)
    , m_updates(updates)
    , m_env(std::move(environment))
    , m_colorsTool(std::make_unique<BrimColorModel>(
          BrimColorModel::Environment{aside().around(m_env.colorSampler), m_env.defaults, m_env.clipboard}))
    , m_textTool(std::make_unique<BrimTextModel>(m_env.clipboard))
    , m_qrTool(std::make_unique<BrimQRModel>(
          BrimQRModel::Environment{m_env.clipboard, aside().around(m_env.filePanels), m_env.qrCodec}))
{
    setWindowTitle(QApplication::applicationDisplayName());
    setAccessibleName(QApplication::applicationDisplayName());
    setAutoFillBackground(true);
    applyTheme();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, 12, margin, 10);
    layout->setSpacing(10);
    // The width never follows the content; the height changes only with the message bar.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(createHeader());
    layout->addWidget(createMessageBar());
    layout->addWidget(createBody());
    layout->addWidget(createFooter());

    m_releaseTimer = new QTimer(this);
    m_releaseTimer->setSingleShot(true);
    m_releaseTimer->setInterval(releaseAfterMs);
    connect(m_releaseTimer, &QTimer::timeout, this, &BrimkitPanel::releaseWhileHidden);

    auto *quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &BrimkitPanel::quitRequested);

    // Hidden, the panel skips the once-a-second change; popUp catches up.
    connect(&m_model, &BrimkitModel::changed, this, [this] {
        if (!isVisible())
            return;
        refreshMessage();
        m_grid->refreshStatus(m_model);
    });
    connect(&m_model.alarms(), &BrimAlarmsModel::changed, this, [this] {
        if (isVisible())
            m_grid->refreshStatus(m_model);
    });
    applyPreferences();
    for (const auto &tint : m_tints)
        tint();
}

BrimkitPanel::~BrimkitPanel() = default;

BrimPanelAside BrimkitPanel::aside()
{
    const QPointer<BrimkitPanel> self(this);
    return {[self] { return self && self->stepAside(); },
            [self] {
                if (self)
                    self->comeBack();
            }};
}

bool BrimkitPanel::stepAside()
{
    m_returning = isVisible();
    if (!m_returning)
        return false;
    m_returnFocus = QApplication::focusWidget();
    hide();
    return true;
}

void BrimkitPanel::comeBack()
{
    if (!std::exchange(m_returning, false))
        return;
    if (!isVisible()) {
        place();
        show();
    }
    raise();
    activateWindow();
    if (m_returnFocus && isAncestorOf(m_returnFocus) && m_returnFocus->isVisible() && m_returnFocus->isEnabled())
        m_returnFocus->setFocus(Qt::OtherFocusReason);
}

void BrimkitPanel::tintSymbol(QToolButton *button, const QString &symbol)
{
    m_tints << [this, button, symbol] { button->setIcon(BrimSymbols::icon(symbol, palette().color(QPalette::ButtonText))); };
}

QWidget *BrimkitPanel::createHeader()
{
    auto *header = new QWidget;
    auto *symbol = new QLabel;
    m_tints << [this, symbol] {
        symbol->setPixmap(BrimSymbols::pixmap(QStringLiteral("wrench.and.screwdriver.fill"), 22, AppTheme::accent(palette()),
                                              devicePixelRatioF()));
    };
    auto *title = new QLabel(tr("ostrel Brimkit"));
    QFont titleFont = title->font();
    titleFont.setPixelSize(19);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    m_customize = symbolButton(tr("Customize tools"));
    tintSymbol(m_customize, QStringLiteral("slider.horizontal.3"));
    m_customize->setCheckable(true);
    connect(m_customize, &QToolButton::clicked, this, &BrimkitPanel::toggleCustomizing);

    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(symbol);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(m_customize);
    return header;
}

// The message has a row of its own whether or not there is one, so nothing
// moves under the pointer when it comes or goes. Two lines show; a longer
// text scrolls within the row.
QWidget *BrimkitPanel::createMessageBar()
{
    m_messageBar = new MessageFrame;
    m_message = new QLabel;
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(m_message);
    m_message->setAutoFillBackground(false);
    auto *dismiss = m_dismiss = symbolButton(tr("Dismiss message"));
    tintSymbol(dismiss, QStringLiteral("xmark"));
    connect(dismiss, &QToolButton::clicked, this, [this] { m_model.setMessage(std::nullopt); });
    auto *layout = new QHBoxLayout(m_messageBar);
    layout->setContentsMargins(10, 6, 6, 6);
    layout->addWidget(scroll, 1);
    layout->addWidget(dismiss, 0, Qt::AlignVCenter);
    m_messageBar->hide();

    auto *row = new QWidget;
    row->setFixedHeight(2 * m_message->fontMetrics().lineSpacing() + 12);
    auto *rowLayout = new QVBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(m_messageBar);
    return row;
}

QWidget *BrimkitPanel::createBody()
{
    m_grid = new BrimToolGrid(gridWidth);
    connect(m_grid, &BrimToolGrid::cardClicked, this, &BrimkitPanel::tapCard);
    connect(m_grid, &BrimToolGrid::favoriteClicked, this, &BrimkitPanel::toggleFavorite);

    m_paneTitle = new QLabel;
    QFont headline = m_paneTitle->font();
    headline.setBold(true);
    m_paneTitle->setFont(headline);
    auto *close = m_close = symbolButton(tr("Close tool panel"));
    tintSymbol(close, QStringLiteral("xmark"));
    connect(close, &QToolButton::clicked, this, &BrimkitPanel::closeDetail);
    auto *paneHeader = new QHBoxLayout;
    paneHeader->setContentsMargins(0, 0, 0, 0);
    paneHeader->addWidget(m_paneTitle, 1);
    paneHeader->addWidget(close);

    // Tool contents are made when first shown and kept; only the current one is visible.
    auto *host = new QWidget;
    host->setFixedWidth(contentWidth);
    m_contents = new QVBoxLayout(host);
    m_contents->setContentsMargins(0, 0, 0, 0);
    m_contents->addStretch(1);
    m_scroll = new QScrollArea;
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(host);
    m_scroll->viewport()->setAutoFillBackground(false);
    host->setAutoFillBackground(false);

    m_pane = new QWidget;
    auto *paneLayout = new QVBoxLayout(m_pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->addLayout(paneHeader);
    paneLayout->addWidget(toolDivider());
    paneLayout->addWidget(m_scroll, 1);

    m_paneHint = new QLabel(tr("Choose a tool to open it here."));
    m_paneHint->setAlignment(Qt::AlignCenter);
    m_paneHint->setWordWrap(true);
    m_paneHint->setForegroundRole(QPalette::PlaceholderText);

    // The pane's place is kept while it is closed, so the grid never moves.
    m_slot = new QWidget;
    m_slot->setFixedSize(contentWidth + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4, preferredPaneHeight);
    auto *slotLayout = new QVBoxLayout(m_slot);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    slotLayout->addWidget(m_pane);
    slotLayout->addWidget(m_paneHint);
    m_pane->hide();

    auto *body = new QWidget;
    auto *layout = new QHBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(bodySpacing);
    layout->addWidget(m_grid, 0, Qt::AlignTop);
    layout->addWidget(m_slot);
    return body;
}

QWidget *BrimkitPanel::createFooter()
{
    auto *footer = new QWidget;
    auto *local = new QLabel(tr("Local tools"));
    QFont small = local->font();
    small.setPixelSize(12);
    local->setFont(small);
    local->setForegroundRole(QPalette::PlaceholderText);
    auto *quit = new QPushButton(tr("Quit"));
    m_quit = quit;
    quit->setToolTip(tr("Quit %1 (%2)").arg(QApplication::applicationDisplayName(),
                                            QKeySequence(Qt::CTRL | Qt::Key_Q).toString(QKeySequence::NativeText)));
    connect(quit, &QPushButton::clicked, this, &BrimkitPanel::quitRequested);
    auto *layout = new QHBoxLayout(footer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(local);
    layout->addStretch(1);
    layout->addWidget(quit);
    return footer;
}

QWidget *BrimkitPanel::content(BrimTool tool) const
{
    const auto found = m_toolContents.find(tool.value());
    return found == m_toolContents.end() ? nullptr : found->second;
}

QWidget *BrimkitPanel::toolContent(BrimTool tool)
{
    if (QWidget *made = content(tool))
        return made;
    QWidget *made = makeToolContent(tool);
    made->hide();
    m_contents->insertWidget(m_contents->count() - 1, made);
    m_toolContents.emplace(tool.value(), made);
    return made;
}

QWidget *BrimkitPanel::makeToolContent(BrimTool tool)
{
    switch (tool.value()) {
    case BrimTool::awake: return new BrimAwakeControls(m_model);
    case BrimTool::timer: return new BrimTimerControls(m_model);
    case BrimTool::alarms: {
        auto *box = new QWidget;
        auto *layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new BrimAlarmsView(m_model.alarms(), m_env.clock, m_env.fileReveal));
        layout->addWidget(toolDivider());
        layout->addWidget(new BrimTimerOptions(m_model, m_env.notificationSettings));
        box->setFocusProxy(box->findChild<BrimAlarmsView *>());
        return box;
    }
    case BrimTool::links: {
        auto *links = new BrimLinkControls(m_model, m_env.defaults, m_env.workspace, m_env.clipboard);
        links->discoverBrowsers();
        return links;
    }
    case BrimTool::apps: return new BrimAppsControls(m_model, m_env.workspace);
    case BrimTool::colors: return new BrimColorsView(*m_colorsTool);
    case BrimTool::text: return new BrimTextView(*m_textTool);
    case BrimTool::qr: return new BrimQRView(*m_qrTool);
    }
    return new QWidget;
}

QList<BrimTool> BrimkitPanel::ordered() const
{
    return BrimToolPreferences::ordered(BrimToolPreferences::enabledText(*m_env.defaults),
                                        BrimToolPreferences::favoritesText(*m_env.defaults));
}

void BrimkitPanel::tapCard(BrimTool tool)
{
    // A second press closes the pane, however soon it comes.
    const bool closing = !m_customizing && m_selected == tool;
    m_customizing = false;
    m_selected = closing ? std::nullopt : std::optional<BrimTool>(tool);
    refreshDetail();
    if (!closing)
        focusPane();
}

void BrimkitPanel::toggleCustomizing()
{
    m_customizing = !m_customizing;
    refreshDetail();
    if (m_customizing)
        focusPane();
}

void BrimkitPanel::closeDetail()
{
    const bool paneHadFocus = m_pane->isAncestorOf(QApplication::focusWidget());
    const std::optional<BrimTool> was = m_customizing ? std::nullopt : m_selected;
    m_customizing = false;
    m_selected.reset();
    refreshDetail();
    // The keyboard returns to where the pane was opened from.
    if (paneHadFocus) {
        BrimToolCard *card = was ? m_grid->card(*was) : nullptr;
        (card ? static_cast<QWidget *>(card) : m_customize)->setFocus(Qt::TabFocusReason);
    }
}

void BrimkitPanel::focusPane()
{
    QWidget *shown = m_customizing ? m_customization : m_selected ? content(*m_selected) : nullptr;
    if (!shown)
        return;
    QWidget *target = shown;
    while (target->focusProxy())
        target = target->focusProxy();
    if (!target->isVisible() || !isTabStop(target)) {
        QList<QWidget *> stops;
        collectTabStops(shown, stops);
        const auto first = std::find_if(stops.cbegin(), stops.cend(),
                                        [](const QWidget *w) { return w->isVisible() && isTabStop(w); });
        target = first == stops.cend() ? nullptr : *first;
    }
    if (target)
        target->setFocus(Qt::TabFocusReason);
}

void BrimkitPanel::setToolEnabled(BrimTool tool, bool enabled)
{
    const QString stored = BrimToolPreferences::enabledText(*m_env.defaults);
    const QString text = enabled ? BrimToolPreferences::enabling(tool, stored) : BrimToolPreferences::disabling(tool, stored);
    if (text != m_env.defaults->stringValue(BrimToolPreferences::enabledKey))
        m_env.defaults->setString(BrimToolPreferences::enabledKey, text);
    applyPreferences();
}

void BrimkitPanel::toggleFavorite(BrimTool tool)
{
    const QString text =
        BrimToolPreferences::togglingFavorite(tool, BrimToolPreferences::favoritesText(*m_env.defaults));
    if (text != m_env.defaults->stringValue(BrimToolPreferences::favoritesKey))
        m_env.defaults->setString(BrimToolPreferences::favoritesKey, text);
    applyPreferences();
}

void BrimkitPanel::applyPreferences()
{
    const QString enabledRaw = BrimToolPreferences::enabledText(*m_env.defaults);
    const QString favoritesRaw = BrimToolPreferences::favoritesText(*m_env.defaults);
    const QList<BrimTool> enabled = BrimToolPreferences::enabled(enabledRaw);
    const QList<BrimTool> ordered = BrimToolPreferences::ordered(enabledRaw, favoritesRaw);
    m_grid->setTools(ordered, BrimToolPreferences::favorites(favoritesRaw, enabled));
    m_grid->refreshStatus(m_model);
    if (m_customization)
        m_customization->setEnabledTools(enabled);
    if (m_selected && !ordered.contains(*m_selected))
        m_selected.reset();
    refreshDetail();
}

QList<QWidget *> BrimkitPanel::tabStops() const
{
    // Header, grid (each card before its star), pane, Quit, whatever order
    // the widgets were made in.
    QList<QWidget *> stops{m_customize, m_dismiss};
    for (BrimTool tool : m_grid->tools())
        stops << m_grid->card(tool) << m_grid->card(tool)->star();
    stops << m_close;
    collectTabStops(m_scroll->widget(), stops);
    stops << m_quit;
    return stops;
}

bool BrimkitPanel::focusNextPrevChild(bool next)
{
    // Hidden widgets stay in the list, so focus leaving a row that just
    // disappeared goes on from that row's place.
    const QList<QWidget *> stops = tabStops();
    qsizetype at = -1;
    for (QWidget *widget = QApplication::focusWidget(); widget && at < 0 && widget != this; widget = widget->parentWidget())
        at = stops.indexOf(widget);
    const qsizetype count = stops.size();
    if (at < 0)
        at = next ? count - 1 : 0;
    for (qsizetype step = 1; step <= count; ++step) {
        QWidget *candidate = stops.at((at + (next ? step : count - step)) % count);
        if (candidate->isVisible() && isTabStop(candidate)) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            // Below the fold of the pane (the last settings), it scrolls into view.
            if (m_scroll->widget()->isAncestorOf(candidate))
                m_scroll->ensureWidgetVisible(candidate);
            return true;
        }
    }
    return false;
}

void BrimkitPanel::refreshDetail()
{
    const bool open = m_customizing || m_selected;
    m_customize->setChecked(m_customizing);
    m_grid->setSelected(m_customizing ? std::nullopt : m_selected);
    QWidget *shown = nullptr;
    if (m_customizing) {
        if (!m_customization) {
            m_customization =
                new BrimPanelCustomization(m_model, *m_env.signals, m_updates, m_env.notificationSettings,
                                           m_env.shortcuts.get());
            m_customization->hide();
            m_contents->insertWidget(m_contents->count() - 1, m_customization);
            connect(m_customization, &BrimPanelCustomization::toolToggled, this, &BrimkitPanel::setToolEnabled);
            m_customization->setEnabledTools(
                BrimToolPreferences::enabled(BrimToolPreferences::enabledText(*m_env.defaults)));
        }
        shown = m_customization;
        m_paneTitle->setText(tr("Customize tools"));
    } else if (m_selected) {
        shown = toolContent(*m_selected);
        m_paneTitle->setText(m_selected->title());
    }
    for (int i = 0; i < m_contents->count(); ++i) {
        if (QWidget *widget = m_contents->itemAt(i)->widget(); widget && widget != shown)
            widget->hide();
    }
    if (shown && shown->isHidden()) {
        shown->show();
        m_scroll->verticalScrollBar()->setValue(0);
    }
    m_pane->setVisible(open);
    m_paneHint->setVisible(!open);
}

void BrimkitPanel::refreshMessage()
{
    const auto &message = m_model.message();
    if (message && m_message->text() != *message)
        m_message->setText(*message);
    m_messageBar->setVisible(message.has_value());
}

void BrimkitPanel::popUp(const QRect &anchor)
{
    m_anchor = anchor.isValid() ? anchor : QRect(QCursor::pos(), QSize(1, 1));

    // Each opening, in this order: browsers, stored lists, alarms. The links
    // tool discovers when it is first made.
    if (auto *links = static_cast<BrimLinkControls *>(content(BrimTool::links)))
        links->discoverBrowsers();
    BrimToolPreferences::migrate(*m_env.defaults);
    BrimAlarmsModel &alarms = m_model.alarms();
    alarms.setEnabled(m_model.notificationEnabled());
    alarms.setSound(m_model.soundEnabled());
    alarms.synchronize(false);

    applyPreferences();
    refreshMessage();
    // The pane gives up height on a small screen (it scrolls).
    QScreen *screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const int chrome = sizeHint().height() - m_slot->height();
        m_slot->setFixedHeight(std::clamp(screen->availableGeometry().height() - chrome, minimumPaneHeight,
                                          int(preferredPaneHeight)));
    }
    adjustSize();
    place();
    m_firstPaintPending = !isVisible();
    show();
    raise();
    activateWindow();
    // Focus shows from the start, so the keyboard user knows where it is.
    setAttribute(Qt::WA_KeyboardFocusChange);
    const QList<BrimTool> tools = m_grid->tools();
    if (QWidget *first = tools.isEmpty() ? static_cast<QWidget *>(m_customize) : m_grid->card(tools.first()))
        first->setFocus(Qt::TabFocusReason);
}

bool BrimkitPanel::justClosed() const
{
    return m_hiddenAt.isValid() && m_hiddenAt.elapsed() < reopenGuardMs;
}

void BrimkitPanel::place()
{
    QScreen *screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(BrimPanelPlacement::topLeft(m_anchor, size(), screen->availableGeometry()));
}

void BrimkitPanel::keyPressEvent(QKeyEvent *event)
{
    // Escape reaches the panel only when no open list or calendar took it:
    // first it closes the pane, then the panel.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_customizing || m_selected)
            closeDetail();
        else
            hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BrimkitPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isVisible() && m_anchor.isValid())
        place();
    if (isVisible())
        Q_EMIT frameChanged(frameGeometry());
}

void BrimkitPanel::hideEvent(QHideEvent *event)
{
    m_releaseTimer->start();
    QWidget::hideEvent(event);
    Q_EMIT frameChanged(QRect());
}

void BrimkitPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Q_EMIT frameChanged(frameGeometry());
}

void BrimkitPanel::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (isVisible())
        Q_EMIT frameChanged(frameGeometry());
}

void BrimkitPanel::releaseWhileHidden()
{
    if (isVisible())
        return;
    destroy();
    // Rendered symbols are made again when next drawn.
    QPixmapCache::clear();
    HeapRelease::returnFreedPages();
}

void BrimkitPanel::changeEvent(QEvent *event)
{
    const auto type = event->type();
    // Another window took the focus: close, as a pop-up does. The panel's
    // own lists and calendars are pop-ups that leave it active.
    if (type == QEvent::ActivationChange && isVisible() && !isActiveWindow()) {
        m_hiddenAt.start();
        hide();
    }
    // The desktop switched between light and dark: canvas, accents and symbols follow.
    if ((type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) && !m_theming) {
        m_theming = true;
        applyTheme();
        for (const auto &tint : m_tints)
            tint();
        m_theming = false;
    }
    QWidget::changeEvent(event);
}

void BrimkitPanel::applyTheme()
{
    QPalette colors = QApplication::palette();
    colors.setColor(QPalette::Window, AppTheme::canvas(colors));
    colors.setColor(QPalette::Highlight, AppTheme::controlAccent(colors));
    setPalette(colors);
}

void BrimkitPanel::paintEvent(QPaintEvent *event)
{
    if (std::exchange(m_firstPaintPending, false))
        qCDebug(lcBrimkit) << "panel painted";
    QWidget::paintEvent(event);
    // A frameless window needs its own edge.
    QPainter painter(this);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.25);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

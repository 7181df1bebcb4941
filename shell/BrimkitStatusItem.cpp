#include "shell/BrimkitStatusItem.h"

#include "models/BrimkitModel.h"
#include "platform/DBusMenuExporter.h"
#include "platform/StatusNotifierItem.h"
#include "services/BetaSupportCommands.h"
#include "shell/BrimkitStatusIcon.h"
#include "shell/BrimkitStatusLabel.h"

#include <QApplication>
#include <QCursor>
#include <QPalette>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QToolTip>

namespace {

// A point by the bar, for an opening no click placed: the pointer where Qt
// knows it (under Wayland, XWayland too, only over our own windows), else
// the work area's top-right corner.
QRect nearTheBar()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {QCursor::pos(), QSize(1, 1)};
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? QRect(screen->availableGeometry().topRight(), QSize(1, 1)) : QRect();
}

} // namespace

BrimkitStatusItem::BrimkitStatusItem(BrimkitModel &model, OstrelSignals &signals, QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    createMenu(signals);
    m_menuExport = std::make_unique<DBusMenuExporter>(&m_menu, bus);
    m_notifier = std::make_unique<StatusNotifierItem>(bus, DBusMenuExporter::objectPath);
    connectNotifier();
    connect(&m_model, &BrimkitModel::changed, this, &BrimkitStatusItem::refresh);
    refresh();
}

BrimkitStatusItem::~BrimkitStatusItem() = default;

void BrimkitStatusItem::createMenu(OstrelSignals &signals)
{
    QAction *open = m_menu.addAction(tr("Open %1").arg(QApplication::applicationDisplayName()));
    connect(open, &QAction::triggered, this, &BrimkitStatusItem::openRequested);
    m_menu.addSeparator();
    BetaSupportCommands::addTo(&m_menu, signals);
    m_menu.addSeparator();
    QAction *quit = m_menu.addAction(tr("Quit %1").arg(QApplication::applicationDisplayName()));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(quit, &QAction::triggered, this, &BrimkitStatusItem::quitRequested);
}

void BrimkitStatusItem::connectNotifier()
{
    StatusNotifierItem *notifier = m_notifier.get();
    connect(notifier, &StatusNotifierItem::hostChanged, this, &BrimkitStatusItem::onHostChanged);
    // A left or a middle click: the panel opens or closes.
    const auto activate = [this](QPoint point) { Q_EMIT activated(anchorAt(point)); };
    connect(notifier, &StatusNotifierItem::activateRequested, this, activate);
    connect(notifier, &StatusNotifierItem::secondaryActivateRequested, this, activate);
    // For hosts that ask the item to draw its menu.
    connect(notifier, &StatusNotifierItem::contextMenuRequested, this,
            [this](QPoint point) { m_menu.popup(anchorAt(point).topLeft()); });
}

void BrimkitStatusItem::show()
{
    m_shown = true;
    onHostChanged();
}

void BrimkitStatusItem::onHostChanged()
{
    const StatusNotifierItem::Host host = m_notifier->host();
    publishWords();
    publishIcon();
    if (host == StatusNotifierItem::Host::present)
        m_tray.reset();
    else if (host == StatusNotifierItem::Host::absent && m_shown && !m_tray)
        showTrayIcon();
}

void BrimkitStatusItem::showTrayIcon()
{
    m_tray = std::make_unique<QSystemTrayIcon>();
    m_tray->setContextMenu(&m_menu);
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT activated(anchor());
    });
    m_tray->setIcon(m_icon);
    m_tray->setToolTip(m_toolTip);
    m_tray->show();
}

bool BrimkitStatusItem::isHosted() const
{
    return m_notifier->host() == StatusNotifierItem::Host::present;
}

QRect BrimkitStatusItem::anchor() const
{
    if (m_tray && m_tray->geometry().isValid())
        return m_tray->geometry();
    if (!m_tray && m_hostPoint)
        return {*m_hostPoint, QSize(1, 1)};
    return nearTheBar();
}

QRect BrimkitStatusItem::anchorAt(QPoint point)
{
    // (0, 0) is what a host sends when it knows no point; a point on no
    // screen is none either.
    if (point.isNull() || !QGuiApplication::screenAt(point)) {
        m_hostPoint.reset();
        return nearTheBar();
    }
    m_hostPoint = point;
    return {point, QSize(1, 1)};
}

void BrimkitStatusItem::refresh()
{
    // The label names things the icon does not show (which alarm fired), so
    // it is recomputed on every change, not only when the icon changes.
    const QString toolTip = m_model.accessibilityLabel();
    if (toolTip != m_toolTip) {
        m_toolTip = toolTip;
        if (m_tray)
            setTrayToolTip(toolTip);
    }
    publishWords();
    // This runs every second: redraw only when the picture changes.
    const BrimkitStatusGlyph glyph = BrimkitStatusGlyph::forModel(m_model);
    const QColor ink = QApplication::palette().color(QPalette::WindowText);
    if (glyph == m_shownGlyph && ink == m_shownInk)
        return;
    m_shownGlyph = glyph;
    m_shownInk = ink;
    ++m_redraws;
    m_icon = BrimkitStatusIcon::icon(glyph, ink);
    m_notifierIconStale = true;
    publishIcon();
    if (m_tray)
        m_tray->setIcon(m_icon);
}

// What only a StatusNotifierItem host shows waits while an XEmbed tray has the item.
void BrimkitStatusItem::publishWords()
{
    if (m_notifier->host() == StatusNotifierItem::Host::absent)
        return;
    const BrimkitStatusLabel words = BrimkitStatusLabel::forModel(m_model);
    m_notifier->setToolTip(words.accessibilityLabel, words.detail);
    m_notifier->setLabel(words.title, words.guide);
    m_notifier->setStatus(words.needsAttention ? StatusNotifierItem::Status::needsAttention
                                               : StatusNotifierItem::Status::active);
}

void BrimkitStatusItem::publishIcon()
{
    if (!m_notifierIconStale || m_notifier->host() == StatusNotifierItem::Host::absent)
        return;
    m_notifierIconStale = false;
    QList<QImage> sizes;
    for (const int size : BrimkitStatusIcon::sizes)
        sizes.append(BrimkitStatusIcon::image(*m_shownGlyph, size, m_shownInk));
    m_notifier->setIcon(sizes);
}

void BrimkitStatusItem::setTrayToolTip(const QString &label)
{
    const QString previous = m_tray->toolTip();
    if (label == previous)
        return;
    m_tray->setToolTip(label);
    // A tooltip already on screen (XEmbed trays show Qt's own) keeps its old
    // text until the pointer leaves; replace the text where it stands.
    if (QToolTip::isVisible() && QToolTip::text() == previous) {
        const QPoint at = QCursor::pos();
        QToolTip::showText(at, label, QApplication::widgetAt(at));
    }
}

#include "shell/BrimkitStatusItem.h"

#include "models/BrimkitModel.h"
#include "services/BetaSupportCommands.h"
#include "shell/BrimkitStatusIcon.h"

#include <QApplication>
#include <QCursor>
#include <QPalette>
#include <QToolTip>

BrimkitStatusItem::BrimkitStatusItem(BrimkitModel &model, OstrelSignals &signals, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    QAction *open = m_menu.addAction(tr("Open %1").arg(QApplication::applicationDisplayName()));
    connect(open, &QAction::triggered, this, &BrimkitStatusItem::openRequested);
    m_menu.addSeparator();
    BetaSupportCommands::addTo(&m_menu, signals);
    m_menu.addSeparator();
    QAction *quit = m_menu.addAction(tr("Quit %1").arg(QApplication::applicationDisplayName()));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(quit, &QAction::triggered, this, &BrimkitStatusItem::quitRequested);
    m_tray.setContextMenu(&m_menu);
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT activated();
    });
    connect(&m_model, &BrimkitModel::changed, this, &BrimkitStatusItem::refresh);
    refresh();
}

void BrimkitStatusItem::refresh()
{
    // The label names things the icon does not show (which alarm fired), so
    // it is recomputed on every change, not only when the icon changes.
    setToolTip(m_model.accessibilityLabel());
    // This runs every second: redraw only when the picture changes.
    const BrimkitStatusGlyph glyph = BrimkitStatusGlyph::forModel(m_model);
    const QColor ink = QApplication::palette().color(QPalette::WindowText);
    if (glyph == m_shownGlyph && ink == m_shownInk)
        return;
    m_shownGlyph = glyph;
    m_shownInk = ink;
    ++m_redraws;
    m_tray.setIcon(BrimkitStatusIcon::icon(glyph, ink));
}

void BrimkitStatusItem::setToolTip(const QString &label)
{
    const QString previous = m_tray.toolTip();
    if (label == previous)
        return;
    m_tray.setToolTip(label);
    // A tooltip already on screen (XEmbed trays show Qt's own) keeps its old
    // text until the pointer leaves; replace the text where it stands.
    if (QToolTip::isVisible() && QToolTip::text() == previous) {
        const QPoint at = QCursor::pos();
        QToolTip::showText(at, label, QApplication::widgetAt(at));
    }
}

#include "shell/BrimkitStatusItem.h"

#include "models/BrimkitModel.h"
#include "shell/BrimSymbols.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

BrimkitStatusItem::BrimkitStatusItem(BrimkitModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
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

QPixmap BrimkitStatusItem::labelPixmap(const QString &symbol, const QString &title, int height, const QColor &ink)
{
    const QPixmap icon = BrimSymbols::pixmap(symbol, height, ink);
    if (title.isEmpty())
        return icon;
    QFont font = QApplication::font();
    font.setPixelSize(height * 2 / 3);
    const int spacing = 4;
    const int textWidth = QFontMetrics(font).horizontalAdvance(title);
    QPixmap label(height + spacing + textWidth, height);
    label.fill(Qt::transparent);
    QPainter painter(&label);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.drawPixmap(0, 0, icon);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRect(height + spacing, 0, textWidth, height), Qt::AlignVCenter | Qt::AlignLeft, title);
    return label;
}

void BrimkitStatusItem::refresh()
{
    const QString symbol = m_model.statusSymbol();
    const QString title = m_model.menuTitle();
    // This runs every second: redraw only when the picture changes.
    if (symbol == m_shownSymbol && title == m_shownTitle)
        return;
    m_shownSymbol = symbol;
    m_shownTitle = title;
    ++m_redraws;
    const QColor ink = QApplication::palette().color(QPalette::WindowText);
    QIcon icon;
    for (int height : {22, 32})
        icon.addPixmap(labelPixmap(symbol, title, height, ink));
    m_tray.setIcon(icon);
    m_tray.setToolTip(m_model.accessibilityLabel());
}

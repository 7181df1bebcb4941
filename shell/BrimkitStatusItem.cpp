#include "shell/BrimkitStatusItem.h"

#include "models/BrimkitModel.h"
#include "shell/BrimSymbols.h"

#include <QApplication>
#include <QPalette>

BrimkitStatusItem::BrimkitStatusItem(BrimkitModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    m_tray.setToolTip(QStringLiteral("Ostrel Brimkit"));
    QAction *quit = m_menu.addAction(QStringLiteral("Quit Ostrel Brimkit"));
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
    const QString symbol = m_model.isTiming() ? m_model.kind().symbol()
        : m_model.awakeUntil()                ? QStringLiteral("sun.max")
                                              : QStringLiteral("brimkit");
    // Redraw only when the picture changes: this runs every second.
    if (symbol == m_shownSymbol)
        return;
    m_shownSymbol = symbol;
    m_tray.setIcon(BrimSymbols::icon(symbol, QApplication::palette().color(QPalette::WindowText)));
}

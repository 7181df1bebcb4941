#include "updates/UpdateSettingsWindow.h"

#include "updates/AppDistributionSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

UpdateSettingsWindow::UpdateSettingsWindow(AppUpdates &updates, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Update Settings"));
    // The support footer can unfold a long text: the content scrolls rather than grow the window.
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    // Keyboard focus starts on the first switch, not on the scrolling frame.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(new AppDistributionSettings(updates, false));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    resize(520, 540);

    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
}

void UpdateSettingsWindow::present()
{
    if (!m_placed) {
        m_placed = true;
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
}

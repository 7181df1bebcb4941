// The smallest tray program: a QSystemTrayIcon and an event loop. Its idle
// CPU and memory are the floor the app is measured against. With
// --show-window it also shows a small window once, as the app shows its
// panel, so the floor includes what drawing a window costs.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter(&pixmap).fillRect(4, 4, 14, 14, Qt::black);
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("bare"));
    tray.show();

    QLabel window(QStringLiteral("A small window"));
    if (QApplication::arguments().contains(QStringLiteral("--show-window"))) {
        window.resize(240, 120);
        window.show();
        QTimer::singleShot(1000, &window, &QWidget::hide);
    }
    return QApplication::exec();
}

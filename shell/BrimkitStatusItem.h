#pragma once
// The tray item. Where a StatusNotifierItem host runs (KDE, GNOME with the
// AppIndicator extension, Xfce, the bars of Wayland compositors) it is our
// own StatusNotifierItem, its menu exported over dbusmenu; elsewhere Qt's
// QSystemTrayIcon on the XEmbed tray. It follows the watcher as it comes and
// goes. Both show the legible glyph (BrimkitStatusIcon) and the
// accessibility label as tooltip; hosts that draw a label get the title
// beside the icon. A click opens the panel at the icon; the context menu
// carries the app-level commands.

#include "shell/BrimkitStatusGlyph.h"

#include <QColor>
#include <QDBusConnection>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QRect>

#include <memory>
#include <optional>

class BrimkitModel;
class DBusMenuExporter;
class OstrelSignals;
class QSystemTrayIcon;
class StatusNotifierItem;

class BrimkitStatusItem : public QObject {
    Q_OBJECT

public:
    // The context menu offers the panel, the feedback window and Quit.
    BrimkitStatusItem(BrimkitModel &model, OstrelSignals &signals, QDBusConnection bus = QDBusConnection::sessionBus(),
                      QObject *parent = nullptr);
    ~BrimkitStatusItem() override;

    // Puts the item on show: on the XEmbed tray once the bus said no host
    // takes it (so Qt never picks its own StatusNotifierItem for the tray).
    void show();
    // Where the panel opens when not clicked open (menu, second launch): the
    // XEmbed icon's rectangle, the point a host last clicked, else a point by
    // the bar. Global coordinates; a 1 by 1 rectangle is a point.
    QRect anchor() const;
    QMenu &menu() { return m_menu; }
    QString toolTip() const { return m_toolTip; }
    QIcon icon() const { return m_icon; }
    // How often the icon was redrawn; the icon must not redraw more than it changes.
    int redrawCount() const { return m_redraws; }
    // The XEmbed tray icon is in use (no StatusNotifierItem host).
    bool usesTrayIcon() const { return m_tray != nullptr; }
    // A StatusNotifierItem host shows the item.
    bool isHosted() const;

Q_SIGNALS:
    // The icon was clicked; the panel belongs at the anchor.
    void activated(const QRect &anchor);
    // The menu's first entry: the panel opens whatever its state.
    void openRequested();
    void quitRequested();

private:
    void createMenu(OstrelSignals &signals);
    void connectNotifier();
    void refresh();
    void onHostChanged();
    void showTrayIcon();
    void publishWords();
    void publishIcon();
    void setTrayToolTip(const QString &label);
    // Remembers a point a host sent, when it is one.
    QRect anchorAt(QPoint point);

    BrimkitModel &m_model;
    QMenu m_menu;
    std::unique_ptr<DBusMenuExporter> m_menuExport;
    std::unique_ptr<StatusNotifierItem> m_notifier;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    bool m_shown = false;
    std::optional<QPoint> m_hostPoint;
    QString m_toolTip;
    std::optional<BrimkitStatusGlyph> m_shownGlyph;
    QColor m_shownInk;
    QIcon m_icon;
    // The StatusNotifierItem's pixmaps lag behind m_icon.
    bool m_notifierIconStale = false;
    int m_redraws = 0;
};

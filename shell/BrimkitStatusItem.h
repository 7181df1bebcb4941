#pragma once
// The tray item: the status symbol with the title drawn beside it, the
// accessibility label as tooltip, a click opens the pop-up, and the context
// menu carries the app-level commands.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

class BrimkitModel;
class OstrelSignals;

class BrimkitStatusItem : public QObject {
    Q_OBJECT

public:
    // The context menu offers the panel, the feedback window and Quit.
    BrimkitStatusItem(BrimkitModel &model, OstrelSignals &signals, QObject *parent = nullptr);

    void show() { m_tray.show(); }
    // Global geometry of the icon, invalid when the tray host gives none.
    QRect geometry() const { return m_tray.geometry(); }
    QMenu &menu() { return m_menu; }
    QString toolTip() const { return m_tray.toolTip(); }
    // How often the icon was redrawn; the label must not redraw more than it changes.
    int redrawCount() const { return m_redraws; }
    // The symbol and title as the icon shows them.
    static QPixmap labelPixmap(const QString &symbol, const QString &title, int height, const QColor &ink);

Q_SIGNALS:
    // The icon was clicked.
    void activated();
    // The menu's first entry: the panel opens whatever its state.
    void openRequested();
    void quitRequested();

private:
    void refresh();

    BrimkitModel &m_model;
    QSystemTrayIcon m_tray;
    QMenu m_menu;
    QString m_shownSymbol;
    QString m_shownTitle;
    int m_redraws = 0;
};

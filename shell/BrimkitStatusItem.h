#pragma once
// The tray item: a square icon drawn for what the model shows (see
// BrimkitStatusIcon), the accessibility label as tooltip, a click opens the
// pop-up, and the context menu carries the app-level commands.

#include "shell/BrimkitStatusGlyph.h"

#include <QColor>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <optional>

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
    QIcon icon() const { return m_tray.icon(); }
    // How often the icon was redrawn; the icon must not redraw more than it changes.
    int redrawCount() const { return m_redraws; }

Q_SIGNALS:
    // The icon was clicked.
    void activated();
    // The menu's first entry: the panel opens whatever its state.
    void openRequested();
    void quitRequested();

private:
    void refresh();
    void setToolTip(const QString &label);

    BrimkitModel &m_model;
    QSystemTrayIcon m_tray;
    QMenu m_menu;
    std::optional<BrimkitStatusGlyph> m_shownGlyph;
    QColor m_shownInk;
    int m_redraws = 0;
};

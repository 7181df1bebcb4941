#pragma once
// The tray item: the status symbol, the accessible label as tooltip, a click
// opens the pop-up, the context menu carries the app-level commands.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

class BrimkitModel;

class BrimkitStatusItem : public QObject {
    Q_OBJECT

public:
    explicit BrimkitStatusItem(BrimkitModel &model, QObject *parent = nullptr);

    void show() { m_tray.show(); }
    // Global geometry of the icon, invalid when the tray host gives none.
    QRect geometry() const { return m_tray.geometry(); }
    QMenu &menu() { return m_menu; }

Q_SIGNALS:
    void activated();
    void quitRequested();

private:
    void refresh();

    BrimkitModel &m_model;
    QSystemTrayIcon m_tray;
    QMenu m_menu;
    QString m_shownSymbol;
};

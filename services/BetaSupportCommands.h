#pragma once
// The two feedback entries ("Send feedback…", "Report a bug…") for a menu,
// such as the tray icon's context menu.

#include <QCoreApplication>
#include <QList>
#include <QString>

class OstrelSignals;
class QAction;
class QMenu;

class BetaSupportCommands {
    Q_DECLARE_TR_FUNCTIONS(BetaSupportCommands)

public:
    static QString feedbackTitle() { return tr("Send feedback…"); }
    static QString bugTitle() { return tr("Report a bug…"); }

    // Appends both actions to the menu; they open the feedback window in
    // feedback or bug-report mode. Returns them in that order.
    static QList<QAction *> addTo(QMenu *menu, OstrelSignals &facade);
};

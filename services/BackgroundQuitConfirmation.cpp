#include "services/BackgroundQuitConfirmation.h"

#include "services/DockPresence.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

BackgroundQuitConfirmation::Choice BackgroundQuitConfirmation::request(const QString &appName, bool busy)
{
    return request(appName, busy, DockPresence::shared(), [] { QCoreApplication::quit(); });
}

BackgroundQuitConfirmation::Choice BackgroundQuitConfirmation::request(const QString &appName, bool busy,
                                                                      DockPresence &presence,
                                                                      const std::function<void()> &terminate)
{
    const Alert alert = makeAlert(appName, busy);
    // Brought forward: the user asked from the tray, possibly with no window of ours active.
    alert.box->show();
    alert.box->raise();
    alert.box->activateWindow();
    alert.box->exec();
    const QAbstractButton *clicked = alert.box->clickedButton();
    if (clicked == alert.quit) {
        terminate();
        return Choice::quitApp;
    }
    if (clicked != alert.keepRunning)
        return Choice::cancel;
    DockWindowList &windows = presence.windows();
    const QList<DockWindow> listed = windows.windows();
    for (const DockWindow &window : listed)
        if (!window.isPanel && window.hasTitleBar)
            windows.hide(window.handle);
    presence.didChooseBackground();
    return Choice::keepRunningInBackground;
}

BackgroundQuitConfirmation::Alert BackgroundQuitConfirmation::makeAlert(const QString &appName, bool busy)
{
    Alert alert;
    alert.box = std::make_unique<QMessageBox>();
    QMessageBox &box = *alert.box;
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(appName);
    box.setText(tr("Keep %1 running?").arg(appName));
    QString informative = tr("Keep running in background closes the window. "
                             "The tray icon and enabled shortcuts stay available.");
    if (busy)
        informative += tr(" Your current task will continue. Finish or cancel it before quitting the app.");
    box.setInformativeText(informative);
    // One role for all three: Qt lays out buttons of different roles in each
    // desktop's own order, which would move "Quit app" around; within a role
    // they keep the order they were added in.
    alert.keepRunning = box.addButton(tr("Keep running in background"), QMessageBox::ActionRole);
    alert.quit = box.addButton(tr("Quit app"), QMessageBox::ActionRole);
    alert.cancel = box.addButton(tr("Cancel"), QMessageBox::ActionRole);
    alert.quit->setEnabled(!busy);
    box.setDefaultButton(alert.keepRunning);
    box.setEscapeButton(alert.cancel);
    return alert;
}

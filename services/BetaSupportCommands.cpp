#include "services/BetaSupportCommands.h"

#include "services/OstrelSignals.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

QList<QAction *> BetaSupportCommands::addTo(QMenu *menu, OstrelSignals &facade)
{
    QPointer<OstrelSignals> target(&facade);
    QAction *feedback = menu->addAction(feedbackTitle());
    QObject::connect(feedback, &QAction::triggered, &facade, [target] {
        if (target)
            target->showSupport(false);
    });
    QAction *bug = menu->addAction(bugTitle());
    QObject::connect(bug, &QAction::triggered, &facade, [target] {
        if (target)
            target->showSupport(true);
    });
    return {feedback, bug};
}

#include "updates/PendingWorkUpdateNotice.h"

#include "updates/AppUpdates.h"

PendingWorkUpdateNotice::PendingWorkUpdateNotice(AppUpdates &updates, QWidget *parent)
    : UpdateNoticeBar(updates, QMargins(12, 12, 12, 12), [&updates] { return updates.pendingWorkActionTitle(); },
                      [&updates] { updates.resolvePendingWork(); }, parent)
{
}

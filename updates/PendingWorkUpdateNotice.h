#pragma once
// The waiting-update bar with the host's pending-work button.

#include "updates/UpdateNoticeBar.h"

class PendingWorkUpdateNotice : public UpdateNoticeBar {
    Q_OBJECT
public:
    explicit PendingWorkUpdateNotice(AppUpdates &updates, QWidget *parent = nullptr);
};

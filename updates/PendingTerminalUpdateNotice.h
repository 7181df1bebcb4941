#pragma once
// The waiting-update bar with "Close Sessions and Update…".

#include "updates/UpdateNoticeBar.h"

class PendingTerminalUpdateNotice : public UpdateNoticeBar {
    Q_OBJECT
public:
    explicit PendingTerminalUpdateNotice(AppUpdates &updates, QWidget *parent = nullptr);
};

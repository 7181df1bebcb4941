#include "updates/PendingTerminalUpdateNotice.h"

#include "updates/AppUpdates.h"

PendingTerminalUpdateNotice::PendingTerminalUpdateNotice(AppUpdates &updates, QWidget *parent)
    : UpdateNoticeBar(
          updates, QMargins(16, 10, 16, 10),
          [&updates]() -> std::optional<QString> {
              if (!updates.canCloseSessionsForUpdate())
                  return std::nullopt;
              return tr("Close Sessions and Update…");
          },
          [&updates] { updates.closeSessionsAndInstallUpdate(); }, parent)
{
}

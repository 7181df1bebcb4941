#pragma once
// Crash-safe file replacement: the target holds either its old or its new
// content after a crash or power loss at any instant.

#include "core/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Writes a temporary file in the target's folder, fsyncs it, renames it over
// the target and fsyncs the folder. On failure the target is untouched and the
// error is the platform's description, except where only the folder's fsync
// failed: the new content is in place then. `replaced` is called the moment
// it is, before the folder's fsync, which may take long on a busy disk.
Result<void, QString> writeFileAtomically(const QString &path, const QByteArray &contents,
                                          const std::function<void()> &replaced = {});

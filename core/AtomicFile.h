#pragma once
// Crash-safe file replacement: the target holds either its old or its new
// content after a crash or power loss at any instant.

#include "core/Result.h"

#include <QByteArray>
#include <QString>

// Writes a temporary file in the target's folder, fsyncs it, renames it over
// the target and fsyncs the folder. On failure the target is untouched and the
// error is the platform's description.
Result<void, QString> writeFileAtomically(const QString &path, const QByteArray &contents);

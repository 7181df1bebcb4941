#pragma once
// The QR tool's codec as its model sees it: a PNG of the code for a text,
// and the texts of every code in an image. Stateless, and called from worker
// threads.

#include "core/BrimQRFailure.h"
#include "core/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class BrimQRCodec {
public:
    virtual ~BrimQRCodec() = default;

    virtual Result<QByteArray, BrimQRFailure> png(const QString &text) const = 0;
    // Texts in detection order, each once.
    virtual Result<QStringList, BrimQRFailure> read(const QByteArray &data) const = 0;
    virtual Result<QStringList, BrimQRFailure> readFile(const QString &path) const = 0;
};

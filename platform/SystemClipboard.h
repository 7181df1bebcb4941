#pragma once
// The desktop's clipboard through QClipboard. Every write replaces the whole
// contents with one item, so nothing of an earlier copy lingers beside it.

#include "models/BrimClipboard.h"

class SystemClipboard final : public BrimClipboard {
public:
    std::optional<QString> text() const override;
    void setText(const QString &text) override;
    std::optional<QByteArray> imageData() const override;
    void setPNG(const QByteArray &png) override;
};

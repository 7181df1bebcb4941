#pragma once
// The clipboard in memory; every write replaces what was there.

#include "models/BrimClipboard.h"

class FakeClipboard final : public BrimClipboard {
public:
    std::optional<QString> text() const override { return plainText; }
    void setText(const QString &value) override
    {
        plainText = value;
        image.reset();
    }
    std::optional<QByteArray> imageData() const override { return image; }
    void setPNG(const QByteArray &png) override
    {
        image = png;
        plainText.reset();
    }

    std::optional<QString> plainText;
    std::optional<QByteArray> image;
};

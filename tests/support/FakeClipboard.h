#pragma once
// The clipboard as a variable: what was last written, and what to read.

#include "models/BrimClipboard.h"

class FakeClipboard final : public BrimClipboard {
public:
    std::optional<QString> text() const override { return plain; }
    void setText(const QString &value) override
    {
        ++writes;
        plain = value;
        image.reset();
    }
    std::optional<QByteArray> imageData() const override { return image; }
    void setPNG(const QByteArray &png) override
    {
        ++writes;
        plain.reset();
        image = png;
    }

    std::optional<QString> plain;
    std::optional<QByteArray> image;
    int writes = 0;
};

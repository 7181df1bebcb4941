#pragma once
// The clipboard as a variable: what was last written, and what to read.

#include "models/BrimClipboard.h"

struct FakeClipboard final : BrimClipboard {
    std::optional<QString> text() const override { return plain; }
    void setText(const QString &value) override { plain = value, image.reset(), ++writes; }
    std::optional<QByteArray> imageData() const override { return image; }
    void setPNG(const QByteArray &png) override { image = png, plain.reset(), ++writes; }

    std::optional<QString> plain;
    std::optional<QByteArray> image;
    int writes = 0;
};

#pragma once
// The general clipboard as the tools use it: written only on an explicit copy,
// and then cleared first so it holds exactly one item.

#include <QByteArray>
#include <QString>

#include <optional>

class BrimClipboard {
public:
    virtual ~BrimClipboard() = default;

    // Plain text on the clipboard, or nothing when it holds none.
    virtual std::optional<QString> text() const = 0;
    // Clears the clipboard, then puts one plain-text item on it.
    virtual void setText(const QString &text) = 0;
    // Image bytes on the clipboard: PNG data, else TIFF data, else nothing.
    virtual std::optional<QByteArray> imageData() const = 0;
    // Clears the clipboard, then puts one PNG image ("image/png") on it.
    virtual void setPNG(const QByteArray &png) = 0;
};

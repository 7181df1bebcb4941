#pragma once
// The desktop's widget style, with Qt's own line-edit clear symbol read as
// the PNG it is (`PngImage`): Qt's style would read it in a way that loads
// every image-format plugin, for good, the first time a field shows it.
// Styles that take the symbol from the icon theme never ask for it here.

#include <QProxyStyle>

class BrimkitStyle final : public QProxyStyle {
public:
    // The style by its key, as QStyleFactory names it.
    explicit BrimkitStyle(const QString &key);

    QPixmap standardPixmap(StandardPixmap symbol, const QStyleOption *option, const QWidget *widget) const override;
};

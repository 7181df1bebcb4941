#include "shell/BrimkitStyle.h"

#include "platform/PngImage.h"

BrimkitStyle::BrimkitStyle(const QString &key) : QProxyStyle(key) {}

QPixmap BrimkitStyle::standardPixmap(StandardPixmap symbol, const QStyleOption *option, const QWidget *widget) const
{
    if (symbol == SP_LineEditClearButton) {
        const QImage image = PngImage::fromFile(QStringLiteral(":/qt-project.org/styles/commonstyle/images/cleartext-16.png"));
        if (!image.isNull())
            return QPixmap::fromImage(image);
    }
    return QProxyStyle::standardPixmap(symbol, option, widget);
}

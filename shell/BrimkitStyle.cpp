#include "shell/BrimkitStyle.h"

#include "platform/PngImage.h"

#include <QGuiApplication>
#include <QStyleOption>

BrimkitStyle::BrimkitStyle(const QString &key) : QProxyStyle(key) {}

QPixmap BrimkitStyle::standardPixmap(StandardPixmap symbol, const QStyleOption *option, const QWidget *widget) const
{
    if (symbol == SP_LineEditClearButton) {
        QImage image = PngImage::fromFile(QStringLiteral(":/qt-project.org/styles/commonstyle/images/cleartext-16.png"));
        const bool rightToLeft = option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
        if (!image.isNull())
            return QPixmap::fromImage(rightToLeft ? std::move(image).mirrored(true, false) : std::move(image));
    }
    return QProxyStyle::standardPixmap(symbol, option, widget);
}

#include "shell/BrimDateTimeField.h"

#include "models/BrimTimePresentation.h"

BrimDateTimeField::BrimDateTimeField(QWidget *parent)
    : QDateTimeEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(displayFormatFor(locale()));
}

QString BrimDateTimeField::displayFormatFor(const QLocale &locale)
{
    // Two-digit years would be read as the 1900s when typed.
    QString date = locale.dateFormat(QLocale::ShortFormat);
    for (qsizetype at = date.indexOf(u'y'); at >= 0; at = date.indexOf(u'y', at)) {
        qsizetype end = at;
        while (end < date.size() && date[end] == u'y')
            ++end;
        if (end - at == 2)
            date.insert(at, QStringLiteral("yy"));
        at = end + (end - at == 2 ? 2 : 0);
    }
    return date + QLatin1Char(' ') + BrimTimePresentation::shortTimeFormat(locale);
}

bool BrimDateTimeField::focusNextPrevChild(bool next)
{
    return QAbstractSpinBox::focusNextPrevChild(next);
}

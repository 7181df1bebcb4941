#include "shell/BrimDateTimeField.h"

#include "models/BrimTimePresentation.h"

#include <QRegularExpression>

BrimDateTimeField::BrimDateTimeField(QWidget *parent)
    : QDateTimeEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(displayFormatFor(locale()));
}

QString BrimDateTimeField::displayFormatFor(const QLocale &locale)
{
    // Two-digit years would be read as the 1900s when typed.
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    QString date = locale.dateFormat(QLocale::ShortFormat);
    date.replace(shortYear, QStringLiteral("yyyy"));
    return date + QLatin1Char(' ') + BrimTimePresentation::shortTimeFormat(locale);
}

bool BrimDateTimeField::focusNextPrevChild(bool next)
{
    return QAbstractSpinBox::focusNextPrevChild(next);
}

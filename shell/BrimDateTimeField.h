#pragma once
// A date and time field with a calendar pop-up, showing minutes but not
// seconds. Tab leaves the field instead of stepping through its sections
// (the arrow keys do that), so the field is one stop in the panel's tab order.

#include <QDateTimeEdit>

class BrimDateTimeField : public QDateTimeEdit {
    Q_OBJECT

public:
    explicit BrimDateTimeField(QWidget *parent = nullptr);

    // The locale's short date and time without seconds.
    static QString displayFormatFor(const QLocale &locale);

protected:
    bool focusNextPrevChild(bool next) override;
};

#pragma once
// Validation and cleaning of web addresses for the links tool. Both
// operations work on the text exactly as entered (no trimming) and return
// the address character for character as the user typed it, except that
// clean drops tracking parameters from the query. A URL parser is used only
// to find and check components; its normal form never reaches the result.
// Pure and thread-safe.

#include "core/BrimURLError.h"
#include "core/Result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

class BrimURL {
public:
    BrimURL() = delete;

    // The address if it is a complete http or https URL with a host, no
    // credentials, a port within 0–65535, no whitespace or control
    // characters (also none encoded, except encoded whitespace) and valid
    // percent escapes of UTF-8 text.
    static Result<QString, BrimURLError> validated(const QString &text);
    // validated(text) without tracking parameters (utm_* and the known click
    // identifiers), unless any parameter looks like a signature, key or token,
    // in which case nothing is removed. An emptied query loses its "?".
    static Result<QString, BrimURLError> clean(const QString &text);

private:
    // Every "%" in the UTF-8 text is followed by two hexadecimal digits.
    static bool validEscapes(QByteArrayView utf8);
    // name is already percent-decoded and lower-cased.
    static bool sensitive(QStringView name);
};

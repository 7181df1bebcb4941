#pragma once
// Why a QR code could not be made or read. The three rule failures carry fixed
// texts; a failure of the system (a file read, the detector) carries the
// system's own description unchanged.

#include <QString>

class BrimQRFailure {
public:
    enum Case { payload, image, noCode, system };

    // One of the rule failures; a system failure needs its description.
    BrimQRFailure(Case c) : m_case(c) { Q_ASSERT(c != system); }
    static BrimQRFailure systemError(QString description)
    {
        BrimQRFailure failure(payload);
        failure.m_case = system;
        failure.m_detail = std::move(description);
        return failure;
    }

    Case kind() const { return m_case; }
    // The text the user is shown.
    QString description() const;

    friend bool operator==(const BrimQRFailure &, const BrimQRFailure &) = default;

private:
    Case m_case;
    QString m_detail;
};

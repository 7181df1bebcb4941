#pragma once
// Shows a file in the desktop's file manager, selected. The file need not
// exist; the platform shows what it can. Never blocks and never fails
// visibly: what cannot be shown is logged.

#include <QString>

class BrimFileReveal {
public:
    virtual ~BrimFileReveal() = default;

    virtual void reveal(const QString &filePath) = 0;
};

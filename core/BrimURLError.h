#pragma once
// The one failure of address validation and cleaning. All values are equal:
// callers never learn which check refused an address.

#include <QCoreApplication>
#include <QString>
#include <cstddef>

struct BrimURLError {
    Q_DECLARE_TR_FUNCTIONS(BrimURLError)

public:
    enum Case { invalidURL };
    Case error = invalidURL;

    QString description() const
    {
        return tr("Enter a complete HTTP or HTTPS URL without credentials or spaces.");
    }
    QString localizedDescription() const { return description(); }

    friend bool operator==(const BrimURLError &, const BrimURLError &) { return true; }
};

inline std::size_t qHash(const BrimURLError &, std::size_t seed = 0) noexcept { return seed; }

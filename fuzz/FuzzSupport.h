#pragma once
// Shared helpers for the fuzz targets.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Aborts with a message, so libFuzzer records the input as a crash.
#define FUZZ_CHECK(condition)                                                           \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", #condition,      \
                         __FILE__, __LINE__);                                           \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// Most inputs are read as UTF-8; inputs starting with 0xFF are read as raw
// UTF-16 instead, so unpaired surrogates reach the code too.
inline QString fuzzText(const std::uint8_t *data, std::size_t size)
{
    if (size > 0 && data[0] == 0xFF) {
        const std::size_t units = (size - 1) / 2;
        QString text(qsizetype(units), Qt::Uninitialized);
        for (std::size_t i = 0; i < units; ++i)
            text[qsizetype(i)] = QChar(char16_t(data[1 + 2 * i] | data[2 + 2 * i] << 8));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

// True when every character of part appears in whole, in the same order.
inline bool isSubsequence(const QString &part, const QString &whole)
{
    qsizetype j = 0;
    for (QChar c : part) {
        while (j < whole.size() && whole[j] != c)
            ++j;
        if (j == whole.size())
            return false;
        ++j;
    }
    return true;
}

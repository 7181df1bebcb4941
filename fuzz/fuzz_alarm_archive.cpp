// The alarm archive reader must never accept what the book would refuse, and
// whatever it accepts must re-encode to an archive that reads back the same,
// dates bit for bit.
#include "core/BrimAlarmArchive.h"
#include "core/BrimAlarmBook.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *why)
{
    std::fprintf(stderr, "fuzz_alarm_archive: %s\n", why);
    std::abort();
}

bool sameBits(BrimDate a, BrimDate b)
{
    return std::bit_cast<std::uint64_t>(a.secondsSinceReference) == std::bit_cast<std::uint64_t>(b.secondsSinceReference);
}

bool identical(const QList<BrimAlarm> &a, const QList<BrimAlarm> &b)
{
    if (a != b)
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i].date, b[i].date))
            return false;
        if (a[i].firedAt && !sameBits(*a[i].firedAt, *b[i].firedAt))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto decoded = BrimAlarmArchive::decode(bytes);
    if (!decoded.ok()) {
        const BrimAlarmError error = decoded.error();
        if (error != BrimAlarmError::invalidArchive && error != BrimAlarmError::newerArchive)
            fail("reader failed with an error that is not an archive error");
        return 0;
    }
    const auto book = BrimAlarmBook::make(decoded.value());
    if (!book.ok())
        fail("reader accepted alarms that the book refuses");
    if (book.value().alarms() != decoded.value())
        fail("book changed the accepted alarms");

    const QByteArray encoded = BrimAlarmArchive::encode(book.value());
    const auto again = BrimAlarmArchive::decode(encoded);
    if (!again.ok())
        fail("re-encoded archive does not read back");
    if (!identical(again.value(), decoded.value()))
        fail("re-encoded archive reads back different alarms");
    const auto againBook = BrimAlarmBook::make(again.value());
    if (!againBook.ok() || BrimAlarmArchive::encode(againBook.value()) != encoded)
        fail("encoding is not stable");
    return 0;
}

// QR reading on arbitrary bytes: no crash, no allocation beyond the limits;
// a success holds at least one text and no text twice.
#include "fuzz/FuzzSupport.h"
#include "platform/BrimQR.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto texts = BrimQR::read(bytes);
    if (!texts.ok()) {
        FUZZ_CHECK(texts.error().kind() != BrimQRFailure::payload);
        FUZZ_CHECK(!texts.error().description().isEmpty());
        return 0;
    }
    FUZZ_CHECK(!texts->isEmpty());
    FUZZ_CHECK(QSet<QString>(texts->begin(), texts->end()).size() == texts->size());
    return 0;
}

// QR reading on arbitrary bytes: no crash, no allocation beyond the limits;
// a success holds at least one text and no text twice.
#include "core/BrimQRRules.h"
#include "fuzz/FuzzSupport.h"
#include "platform/BrimQR.h"

#include <QSet>

namespace {
// A few hundred bytes of GIF can describe ten megapixels, which take seconds
// to decode here; once such inputs are in the corpus the run makes a few
// hundred executions a second instead of thousands. Images within the limit
// but over this size go through the same code at a larger scale, so they are
// left out (and kept out of the corpus); images over the limit still go in,
// to be refused from their header. A megapixel still reaches the quick look
// at a reduced copy (a long side of 2,400 or more).
constexpr qint64 largestDecodedPixels = 1'000'000;

bool tooSlowToDecode(const QByteArray &bytes)
{
    const QSize size = BrimQR::decodedSize(bytes);
    return BrimQRRules::areaFits(size) && qint64(size.width()) * size.height() > largestDecodedPixels;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (tooSlowToDecode(bytes))
        return -1;
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

// Address validation and cleaning: no crash on any text, and the properties
// callers rely on: validation returns the text unchanged, cleaning only ever
// removes characters from the query, its result validates, and cleaning is
// idempotent.
#include "core/BrimURL.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const Result<QString, BrimURLError> valid = BrimURL::validated(text);
    const Result<QString, BrimURLError> cleaned = BrimURL::clean(text);
    FUZZ_CHECK(valid.ok() == cleaned.ok());
    if (!valid.ok())
        return 0;
    FUZZ_CHECK(valid.value() == text);

    const QString &result = cleaned.value();
    FUZZ_CHECK(result.size() <= text.size());
    FUZZ_CHECK(isSubsequence(result, text));
    const qsizetype queryMark = text.indexOf(u'?');
    const qsizetype fragmentMark = text.indexOf(u'#');
    if (queryMark < 0 || (fragmentMark >= 0 && fragmentMark < queryMark)) {
        FUZZ_CHECK(result == text);
    } else {
        // Everything before the query and from the fragment on is untouched.
        FUZZ_CHECK(result.startsWith(QStringView(text).first(queryMark)));
        if (fragmentMark >= 0)
            FUZZ_CHECK(result.endsWith(QStringView(text).sliced(fragmentMark)));
    }
    FUZZ_CHECK(BrimURL::validated(result).ok());
    const Result<QString, BrimURLError> again = BrimURL::clean(result);
    FUZZ_CHECK(again.ok() && again.value() == result);
    return 0;
}

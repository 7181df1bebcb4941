// Stored tool lists: no crash on any stored text, and the list rules hold:
// parsed lists are duplicate-free, stored edits are normalized and re-parse
// to what was meant, favourites stay within the enabled tools, and migration
// is idempotent.
#include "core/BrimToolPreferences.h"
#include "fuzz/FuzzSupport.h"

#include <QSet>

namespace {

bool unique(const QList<BrimTool> &tools)
{
    QSet<int> seen;
    for (BrimTool tool : tools)
        seen.insert(tool.value());
    return seen.size() == tools.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using P = BrimToolPreferences;
    // The first byte picks a tool and a stored version; the rest is the text.
    const BrimTool tool = BrimTool::allCases()[size > 0 ? data[0] % 8 : 0];
    const qint64 version = size > 0 ? qint64(data[0] >> 3) - 4 : 1;
    const QString raw = size > 0 ? fuzzText(data + 1, size - 1) : QString();

    const QList<BrimTool> enabled = P::enabled(raw);
    FUZZ_CHECK(unique(enabled) && enabled.size() <= 8);
    FUZZ_CHECK(raw.isEmpty() || enabled.isEmpty() || P::enabled(P::join(enabled)) == enabled);

    const QList<BrimTool> favorites = P::favorites(raw, enabled);
    FUZZ_CHECK(unique(favorites));
    for (BrimTool favorite : favorites)
        FUZZ_CHECK(enabled.contains(favorite));
    const QList<BrimTool> ordered = P::ordered(raw, raw);
    FUZZ_CHECK(ordered.size() == enabled.size() && unique(ordered));

    const QString on = P::enabling(tool, raw);
    FUZZ_CHECK(P::enabled(on).contains(tool) && P::join(P::enabled(on)) == on);
    const QString off = P::disabling(tool, raw);
    FUZZ_CHECK(!P::enabled(off).contains(tool));
    FUZZ_CHECK(off == P::none ? P::enabled(off).isEmpty() : P::join(P::enabled(off)) == off);

    const QString toggled = P::togglingFavorite(tool, raw);
    const bool hadPiece = raw.split(u',').contains(tool.rawValue());
    FUZZ_CHECK(toggled.split(u',').contains(tool.rawValue()) != hadPiece);
    if (!hadPiece)
        FUZZ_CHECK(P::togglingFavorite(tool, toggled) == raw.split(u',', Qt::SkipEmptyParts).join(u','));
    FUZZ_CHECK(!toggled.contains(QStringLiteral(",,")) && !toggled.startsWith(u',') && !toggled.endsWith(u','));

    const P::Migration first = P::migration(raw, version);
    const P::Migration second = P::migration(first.enabled.value_or(raw), first.toolsVersion.value_or(version));
    FUZZ_CHECK(second == P::Migration{});
    if (first.enabled) {
        FUZZ_CHECK(P::enabled(*first.enabled).contains(BrimTool::alarms));
        FUZZ_CHECK(P::join(P::enabled(*first.enabled)) == *first.enabled);
    }
    return 0;
}

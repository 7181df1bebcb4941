// Desktop files and Exec lines: no crash on any input, and what the launcher
// relies on: an accepted line always starts with a program, and the
// addresses handed to it come out as whole arguments, in order, unchanged.
#include "fuzz/FuzzSupport.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopExec.h"

namespace {

void checkExec(const QString &line)
{
    const std::optional<DesktopExec> exec = DesktopExec::parse(line);
    if (!exec)
        return;
    static const QStringList targets{QStringLiteral("https://x.test/?a=$(id);`b` 'c' \"d\"\n%u"),
                                     QStringLiteral("--new-window"), QStringLiteral("")};
    const QStringList out = exec->expand({targets, QStringLiteral("icon"), QStringLiteral("Name"), QStringLiteral("/a")});
    FUZZ_CHECK(!out.isEmpty() && !out.first().isEmpty() && out.first() == exec->program());
    bool placed = false;
    for (qsizetype i = 1; i + targets.size() <= out.size() && !placed; ++i)
        placed = out.mid(i, targets.size()) == targets;
    FUZZ_CHECK(placed);
    // Without targets nothing of them may appear.
    const QStringList bare = exec->expand({{}, {}, {}, {}});
    FUZZ_CHECK(!bare.contains(targets.first()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    checkExec(fuzzText(data, size));
    if (const std::optional<DesktopEntry> entry = DesktopEntry::parse(bytes, QStringLiteral("de_DE")))
        checkExec(entry->value(QStringLiteral("Exec")));
    return 0;
}

#include "platform/PulseSource.h"

#include <pulse/def.h>
#include <pulse/introspect.h>

std::optional<PulseSource> PulseSource::from(const pa_source_info &info)
{
    if (info.index == PA_INVALID_INDEX)
        return std::nullopt;
    // A missing description is an empty one; bytes that are not UTF-8 become U+FFFD.
    return PulseSource{info.index, QString::fromUtf8(info.description), info.mute != 0};
}

#pragma once
// The default source as the PulseAudio server describes it, read from its
// answer. Kept apart from the adapter so fuzz/ can feed it any answer.

#include <QString>

#include <cstdint>
#include <optional>

struct pa_source_info;

struct PulseSource {
    std::uint32_t index = 0;
    QString description;
    bool muted = false;

    // What callers see: index 0 is a real source, and 0 means "none" to them.
    std::uint32_t deviceID() const { return index + 1; }
    friend bool operator==(const PulseSource &, const PulseSource &) = default;

    // Nothing for an answer that names no usable source (the invalid index,
    // which callers could not tell from "none").
    static std::optional<PulseSource> from(const pa_source_info &info);
};

#pragma once
// Lets the user pick one pixel anywhere on the screen.

#include <array>
#include <functional>
#include <optional>

// What one pick reported.
struct BrimSampledColor {
    enum class Outcome {
        picked,
        // The user backed out; nothing changes.
        cancelled,
        // No way to pick a screen colour on this desktop.
        unavailable,
    };
    Outcome outcome = Outcome::cancelled;
    // For a pick: red, green and blue in sRGB, nominally 0 to 1 (wide-gamut
    // sources may go beyond, and nothing promises finite numbers); nothing
    // when the colour could not be converted to sRGB.
    std::optional<std::array<double, 3>> srgb;
};

class BrimColorSampler {
public:
    using Done = std::function<void(const BrimSampledColor &)>;

    virtual ~BrimColorSampler() = default;
    // Opens the sampler; done is called once, later, on the main thread.
    // Destroying the sampler while it is open closes it without an answer.
    virtual void pick(Done done) = 0;
};

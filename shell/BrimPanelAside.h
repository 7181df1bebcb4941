#pragma once
// While a file dialog or the screen picker that the panel opened is up, the
// panel steps aside: a dialog would open behind it, and a picker would pick
// the panel itself. When the dialog or picker closes (chosen or cancelled),
// the panel comes back where it was, showing the result. These wrap the
// panel's services so every tool gets that without knowing of it.

#include "models/BrimColorSampler.h"
#include "models/BrimFilePanels.h"

#include <functional>
#include <memory>

struct BrimPanelAside {
    // Says whether the panel was up and stepped aside.
    std::function<bool()> leave;
    std::function<void()> comeBack;

    // What was under the panel needs a moment to be drawn again before the
    // screen is sampled; a pick with no panel up (a global shortcut) starts at once.
    static constexpr int redrawMs = 200;

    std::shared_ptr<BrimFilePanels> around(std::shared_ptr<BrimFilePanels> panels) const;
    std::shared_ptr<BrimColorSampler> around(std::shared_ptr<BrimColorSampler> sampler) const;
};

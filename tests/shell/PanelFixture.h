#pragma once
// The panel's services on fakes: memory defaults, the clipboard as a
// variable, a colour sampler that never answers, file panels the test answers.

#include "models/BrimColorSampler.h"
#include "models/BrimFileReveal.h"
#include "models/BrimWorkspace.h"
#include "platform/BrimQR.h"
#include "services/OstrelSignals.h"
#include "shell/BrimkitPanel.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeFilePanels.h"

struct SilentSampler final : BrimColorSampler {
    void pick(Done) override {}
};

struct RecordingReveal final : BrimFileReveal {
    void reveal(const QString &filePath) override { revealed << filePath; }
    QStringList revealed;
};

// A desktop with no applications installed.
struct EmptyWorkspace final : BrimWorkspace {
    std::optional<QUrl> applicationURL(const QString &) const override { return std::nullopt; }
    QList<BrimWebApp> webBrowsers() const override { return {}; }
    QList<BrimChromeProfile> chromeProfiles(const QUrl &) const override { return {}; }
    Result<void, BrimLaunchError> launch(const QUrl &, const QStringList &) override
    {
        return Failure{BrimLaunchError{}};
    }
};

inline BrimkitPanel::Environment fakePanelEnvironment(std::shared_ptr<BrimClock> clock,
                                                      std::shared_ptr<UserDefaults> defaults = nullptr)
{
    BrimkitPanel::Environment env;
    env.defaults = defaults ? std::move(defaults) : std::make_shared<MemoryUserDefaults>();
    env.clock = std::move(clock);
    env.clipboard = std::make_shared<FakeClipboard>();
    env.colorSampler = std::make_shared<SilentSampler>();
    env.filePanels = std::make_shared<FakeFilePanels>();
    env.fileReveal = std::make_shared<RecordingReveal>();
    env.workspace = std::make_shared<EmptyWorkspace>();
    env.qrCodec = std::make_shared<SystemBrimQRCodec>();
    env.signals = &OstrelSignals::shared();
    return env;
}

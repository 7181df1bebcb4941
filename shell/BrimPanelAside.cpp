#include "shell/BrimPanelAside.h"

#include <QObject>
#include <QTimer>

namespace {

class AsideFilePanels final : public BrimFilePanels {
public:
    AsideFilePanels(std::shared_ptr<BrimFilePanels> panels, BrimPanelAside aside)
        : m_panels(std::move(panels)), m_aside(std::move(aside))
    {
    }
    void askSavePNG(const QString &proposedName, Handler handler) override
    {
        m_aside.leave();
        m_panels->askSavePNG(proposedName, returning(std::move(handler)));
    }
    void askImage(const QString &title, Handler handler) override
    {
        m_aside.leave();
        m_panels->askImage(title, returning(std::move(handler)));
    }

private:
    Handler returning(Handler handler) const
    {
        return [handler = std::move(handler), comeBack = m_aside.comeBack](std::optional<QString> path) {
            handler(std::move(path));
            comeBack();
        };
    }

    std::shared_ptr<BrimFilePanels> m_panels;
    BrimPanelAside m_aside;
};

class AsideColorSampler final : public BrimColorSampler {
public:
    AsideColorSampler(std::shared_ptr<BrimColorSampler> sampler, BrimPanelAside aside)
        : m_sampler(std::move(sampler)), m_aside(std::move(aside))
    {
    }
    void pick(Done done) override
    {
        auto start = [this, done = std::move(done)]() mutable {
            m_sampler->pick([done = std::move(done), comeBack = m_aside.comeBack](const BrimSampledColor &color) {
                done(color);
                comeBack();
            });
        };
        if (!m_aside.leave()) {
            start();
            return;
        }
        // The timer belongs to this sampler: destroyed first, nothing opens.
        QTimer::singleShot(BrimPanelAside::redrawMs, &m_context, std::move(start));
    }

private:
    std::shared_ptr<BrimColorSampler> m_sampler;
    BrimPanelAside m_aside;
    QObject m_context;
};

} // namespace

std::shared_ptr<BrimFilePanels> BrimPanelAside::around(std::shared_ptr<BrimFilePanels> panels) const
{
    return std::make_shared<AsideFilePanels>(std::move(panels), *this);
}

std::shared_ptr<BrimColorSampler> BrimPanelAside::around(std::shared_ptr<BrimColorSampler> sampler) const
{
    return std::make_shared<AsideColorSampler>(std::move(sampler), *this);
}

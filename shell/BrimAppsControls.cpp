#include "shell/BrimAppsControls.h"

#include "models/BrimWorkspace.h"
#include "models/BrimkitModel.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct SiblingApp {
    const char *title;
    const char *identifier;
};

constexpr SiblingApp siblingApps[] = {
    {QT_TRANSLATE_NOOP("BrimAppsControls", "Voice"), "app.ostrel.voice"},
    {QT_TRANSLATE_NOOP("BrimAppsControls", "Terminal"), "app.ostrel.terminal"},
    {QT_TRANSLATE_NOOP("BrimAppsControls", "Notes"), "app.ostrel.notes"},
};

} // namespace

BrimAppsControls::BrimAppsControls(BrimkitModel &model, std::shared_ptr<BrimWorkspace> workspace, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_workspace(std::move(workspace))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const SiblingApp &app : siblingApps) {
        Sibling sibling{tr(app.title), QLatin1String(app.identifier), nullptr, std::nullopt};
        sibling.button = new QPushButton(sibling.title);
        sibling.button->setAccessibleName(sibling.title);
        layout->addWidget(sibling.button);
        const qsizetype index = m_siblings.size();
        connect(sibling.button, &QPushButton::clicked, this, [this, index] { open(m_siblings.at(index)); });
        m_siblings.append(sibling);
    }
    refresh();
}

void BrimAppsControls::refresh()
{
    for (Sibling &sibling : m_siblings) {
        sibling.location = m_workspace->applicationURL(sibling.identifier);
        const QString help = sibling.location ? tr("Open Ostrel %1").arg(sibling.title)
                                              : tr("%1 is not installed").arg(sibling.title);
        sibling.button->setEnabled(sibling.location.has_value());
        sibling.button->setToolTip(help);
        sibling.button->setAccessibleDescription(help);
    }
}

void BrimAppsControls::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void BrimAppsControls::open(const Sibling &sibling)
{
    if (!sibling.location)
        return;
    const Result<void, BrimLaunchError> launched = m_workspace->launch(*sibling.location, {});
    if (launched.ok())
        return;
    // Gone since it was looked up: say so as the button would.
    m_model.setMessage(launched.error().kind == BrimLaunchError::notFound ? tr("%1 is not installed").arg(sibling.title)
                                                                          : launched.error().description);
    if (launched.error().kind == BrimLaunchError::notFound)
        refresh();
}

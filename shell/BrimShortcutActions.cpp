#include "shell/BrimShortcutActions.h"

#include "core/BrimURL.h"
#include "models/BrimClipboard.h"
#include "models/BrimColorModel.h"
#include "models/BrimkitLogging.h"
#include "models/BrimkitModel.h"
#include "shell/BrimAwakeControls.h"
#include "shell/BrimkitPanel.h"
#include "shell/BrimTimerControls.h"

#include <QPointer>

BrimShortcutActions::BrimShortcutActions(BrimkitModel &model, Environment environment, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_env(std::move(environment))
{
}

void BrimShortcutActions::run(BrimShortcutAction action)
{
    qCDebug(lcBrimkit) << "shortcut" << action.rawValue();
    switch (action.value()) {
    case BrimShortcutAction::togglePanel: m_env.togglePanel(); break;
    case BrimShortcutAction::pauseOrResume: m_model.pauseOrResume(); break;
    case BrimShortcutAction::startTimer: m_model.startTimer(timerMinutes(), BrimTimerKind::timer); break;
    case BrimShortcutAction::startFocus:
        m_model.startTimer(BrimTimerKind(BrimTimerKind::focus).minutes(), BrimTimerKind::focus);
        break;
    case BrimShortcutAction::startShortBreak:
        m_model.startTimer(BrimTimerKind(BrimTimerKind::shortBreak).minutes(), BrimTimerKind::shortBreak);
        break;
    case BrimShortcutAction::cancelTimer: m_model.cancelTimer(); break;
    case BrimShortcutAction::toggleAwake:
        if (m_model.awakeUntil())
            m_model.stopAwake();
        else
            m_model.startAwake(awakeMinutes());
        break;
    case BrimShortcutAction::cleanLink: cleanLink(); break;
    case BrimShortcutAction::pickColor: pickColor(); break;
    }
    qCDebug(lcBrimkit) << "shortcut" << action.rawValue() << "done";
}

int BrimShortcutActions::timerMinutes() const
{
    BrimkitPanel *panel = m_env.panel();
    const auto *controls = panel ? qobject_cast<BrimTimerControls *>(panel->content(BrimTool::timer)) : nullptr;
    return controls ? controls->timerMinutes() : BrimTimerKind(BrimTimerKind::focus).minutes();
}

int BrimShortcutActions::awakeMinutes() const
{
    BrimkitPanel *panel = m_env.panel();
    const auto *controls = panel ? qobject_cast<BrimAwakeControls *>(panel->content(BrimTool::awake)) : nullptr;
    return controls ? controls->awakeMinutes() : BrimAwakeControls::defaultMinutes;
}

void BrimShortcutActions::cleanLink()
{
    // As the link tool's Clean URL, then Copy cleaned URL: the text as it is,
    // the rules refuse surrounding spaces themselves.
    const Result<QString, BrimURLError> cleaned = BrimURL::clean(m_env.clipboard->text().value_or(QString()));
    if (!cleaned.ok()) {
        announce(BrimTool::links, cleaned.error().description());
        return;
    }
    m_env.clipboard->setText(cleaned.value());
    announce(BrimTool::links, QCoreApplication::translate("BrimLinkControls", "Cleaned URL copied."));
}

void BrimShortcutActions::pickColor()
{
    BrimColorModel &colors = m_env.colors();
    // A pick the Colors tool opened is the user's own; it stays so.
    if (colors.sampling())
        return;
    connect(
        &colors, &BrimColorModel::sampleEnded, this,
        [this, &colors](BrimSampledColor::Outcome outcome) {
            if (outcome == BrimSampledColor::Outcome::cancelled)
                return;
            if (const std::optional<QString> &error = colors.error())
                announce(BrimTool::colors, *error);
            else
                colors.copyHex();
        },
        Qt::SingleShotConnection);
    colors.sample();
}

QCoro::Task<> BrimShortcutActions::announce(BrimTool tool, QString text)
{
    QPointer self(this);
    const std::shared_ptr<BrimTimerNotificationCenter> center = m_env.notifications;
    if (center) {
        const BrimTimerNotificationSettings settings = co_await center->settings();
        if (!self)
            co_return;
        if (settings.allowsDelivery()) {
            // One notification per tool: a new result replaces the last.
            const QString identifier = identifierPrefix + tool.rawValue();
            center->removeDelivered({identifier});
            BrimNotificationRequest request{identifier, tool.title(), text, false};
            const Result<void, QString> added = co_await center->show(std::move(request));
            if (!self || added.ok())
                co_return;
            qCWarning(lcBrimkit) << "the shortcut's result was not announced:" << added.error();
        }
    }
    // The panel shows it when it opens next.
    m_model.setMessage(text);
}

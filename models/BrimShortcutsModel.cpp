#include "models/BrimShortcutsModel.h"

#include "models/BrimkitLogging.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

namespace {

bool isModifierKey(int key)
{
    return (key >= Qt::Key_Shift && key <= Qt::Key_NumLock) || key == Qt::Key_Super_L || key == Qt::Key_Super_R
        || key == Qt::Key_Hyper_L || key == Qt::Key_Hyper_R || key == Qt::Key_AltGr || key == Qt::Key_Mode_switch;
}

// Keys that type nothing and move nothing, so a grab of them alone costs the user no typing.
bool standsAlone(int key)
{
    return (key >= Qt::Key_F1 && key <= Qt::Key_F35) || key == Qt::Key_Print || key == Qt::Key_Pause
        || key == Qt::Key_ScrollLock || (key >= Qt::Key_Back && key < Qt::Key_unknown);
}

bool holds(const BrimGlobalShortcuts::Keys &keys, const QKeySequence &sequence)
{
    return std::any_of(keys.begin(), keys.end(), [&](const auto &entry) { return entry.second == sequence; });
}

} // namespace

BrimShortcutsModel::BrimShortcutsModel(std::shared_ptr<UserDefaults> defaults,
                                       std::shared_ptr<BrimGlobalShortcuts> shortcuts, QObject *parent)
    : QObject(parent)
    , m_defaults(std::move(defaults))
    , m_shortcuts(std::move(shortcuts))
{
}

BrimShortcutsModel::~BrimShortcutsModel()
{
    stop();
}

void BrimShortcutsModel::start()
{
    if (m_started)
        return;
    m_started = true;
    if (const std::optional<QJsonValue> stored = m_defaults->object(storageKey)) {
        if (stored->isString())
            m_keys = keysFromText(stored->toString());
        else
            qCWarning(lcBrimkit) << "ignoring the stored shortcuts: not a text but" << *stored;
    }
    // The backend may outlive us (another owner holds it).
    m_shortcuts->start({[self = QPointer(this)](BrimShortcutAction action) {
                            if (self)
                                Q_EMIT self->activated(action);
                        },
                        [self = QPointer(this)] {
                            if (self)
                                Q_EMIT self->changed();
                        }},
                       m_keys);
    Q_EMIT changed();
}

void BrimShortcutsModel::stop()
{
    if (std::exchange(m_started, false))
        m_shortcuts->stop();
}

BrimShortcutMechanism BrimShortcutsModel::mechanism() const
{
    return m_started ? m_shortcuts->mechanism() : BrimShortcutMechanism::unknown;
}

QKeySequence BrimShortcutsModel::sequence(BrimShortcutAction action) const
{
    const auto found = m_keys.find(action.value());
    return found == m_keys.end() ? QKeySequence() : found->second;
}

std::optional<QString> BrimShortcutsModel::note(BrimShortcutAction action) const
{
    if (const auto refused = m_refusals.find(action.value()); refused != m_refusals.end())
        return refused->second;
    if (mechanism() != BrimShortcutMechanism::keyGrabs)
        return std::nullopt;
    const QString key = sequence(action).toString(QKeySequence::NativeText);
    switch (m_shortcuts->keyProblem(action)) {
    case BrimShortcutKeyProblem::none: break;
    case BrimShortcutKeyProblem::heldElsewhere: return tr("%1 is used by another program.").arg(key);
    case BrimShortcutKeyProblem::notOnKeyboard: return tr("No key of this keyboard types %1.").arg(key);
    }
    return std::nullopt;
}

QString BrimShortcutsModel::triggerText(BrimShortcutAction action) const
{
    const QString trigger = m_started ? m_shortcuts->trigger(action) : QString();
    return trigger.isEmpty() ? tr("Not assigned") : trigger;
}

void BrimShortcutsModel::setSequence(BrimShortcutAction action, const QKeySequence &sequence)
{
    const bool hadRefusal = m_refusals.erase(action.value()) > 0;
    if (sequence.isEmpty()) {
        if (m_keys.erase(action.value()) == 0) {
            if (hadRefusal)
                Q_EMIT changed();
            return;
        }
    } else {
        // A global shortcut is one combination: a recorder may hand over more.
        const QKeySequence combination(sequence[0]);
        if (const std::optional<QString> reason = refusal(combination[0])) {
            m_refusals.emplace(action.value(), *reason);
            Q_EMIT changed();
            return;
        }
        if (this->sequence(action) == combination) {
            if (hadRefusal)
                Q_EMIT changed();
            return;
        }
        std::erase_if(m_keys, [&](const auto &entry) { return entry.second == combination; });
        m_keys[action.value()] = combination;
    }
    store();
    if (m_started)
        m_shortcuts->setKeys(m_keys);
    Q_EMIT changed();
}

void BrimShortcutsModel::configure()
{
    if (m_started)
        m_shortcuts->configure();
}

void BrimShortcutsModel::store()
{
    if (m_keys.empty())
        m_defaults->remove(storageKey);
    else
        m_defaults->setString(storageKey, textFromKeys(m_keys));
}

std::optional<QString> BrimShortcutsModel::refusal(QKeyCombination combination)
{
    const int key = combination.key();
    if (key == 0 || key == Qt::Key_unknown || isModifierKey(key))
        return tr("Press a key together with Ctrl, Alt or Super.");
    const auto commanding = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if ((combination.keyboardModifiers() & commanding) || standsAlone(key))
        return std::nullopt;
    return tr("%1 alone would stop working for typing. Add Ctrl, Alt or Super.")
        .arg(QKeySequence(combination).toString(QKeySequence::NativeText));
}

BrimGlobalShortcuts::Keys BrimShortcutsModel::keysFromText(const QString &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (!document.isObject()) {
        qCWarning(lcBrimkit) << "ignoring the stored shortcuts, not a JSON object:"
                             << (error.error != QJsonParseError::NoError ? error.errorString() : text.left(80));
        return {};
    }
    BrimGlobalShortcuts::Keys keys;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const auto action = BrimShortcutAction::fromRawValue(it.key());
        const QKeySequence sequence = QKeySequence::fromString(it.value().toString(), QKeySequence::PortableText);
        if (!action || !it.value().isString() || sequence.count() != 1 || refusal(sequence[0]) || holds(keys, sequence)) {
            qCWarning(lcBrimkit) << "ignoring the stored shortcut" << it.key() << it.value();
            continue;
        }
        keys.emplace(action->value(), sequence);
    }
    return keys;
}

QString BrimShortcutsModel::textFromKeys(const BrimGlobalShortcuts::Keys &keys)
{
    QJsonObject object;
    for (const auto &[action, sequence] : keys)
        object.insert(BrimShortcutAction(action).rawValue(), sequence.toString(QKeySequence::PortableText));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString BrimShortcutsModel::unavailableText()
{
    return tr("Your desktop does not let applications set global shortcuts.");
}

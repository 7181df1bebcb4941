#pragma once
// The user's global shortcuts: one key combination per action, kept in user
// defaults as one JSON text, put in effect through the desktop's mechanism,
// and what each settings row must say about its key.

#include "core/UserDefaults.h"
#include "models/BrimGlobalShortcuts.h"

#include <QObject>

#include <memory>
#include <optional>

class BrimShortcutsModel : public QObject {
    Q_OBJECT

public:
    static inline const QString storageKey = QStringLiteral("brimkitShortcuts");

    BrimShortcutsModel(std::shared_ptr<UserDefaults> defaults, std::shared_ptr<BrimGlobalShortcuts> shortcuts,
                       QObject *parent = nullptr);
    ~BrimShortcutsModel() override;

    // Reads the stored keys and puts them in effect.
    void start();
    // Lets go of every key; nothing is activated afterwards.
    void stop();

    // Published state; changed() follows every change.
    BrimShortcutMechanism mechanism() const;
    QKeySequence sequence(BrimShortcutAction action) const;
    // Why the row's key is not in effect, if it is not.
    std::optional<QString> note(BrimShortcutAction action) const;
    // With the desktop's shortcut service: the trigger it reports, or "Not assigned".
    QString triggerText(BrimShortcutAction action) const;

    // Stores and applies one combination (an empty sequence clears the row).
    // A combination that would break typing is refused with a note; one that
    // another row holds moves to this row.
    void setSequence(BrimShortcutAction action, const QKeySequence &sequence);
    void configure();

    // Why a combination cannot be a global shortcut, if it cannot.
    static std::optional<QString> refusal(QKeyCombination combination);
    // The stored text read as keys; damaged or unknown entries are left out
    // with a warning.
    static BrimGlobalShortcuts::Keys keysFromText(const QString &text);
    static QString textFromKeys(const BrimGlobalShortcuts::Keys &keys);
    static QString unavailableText();

Q_SIGNALS:
    void changed();
    void activated(BrimShortcutAction action);

private:
    void store();

    std::shared_ptr<UserDefaults> m_defaults;
    std::shared_ptr<BrimGlobalShortcuts> m_shortcuts;
    BrimGlobalShortcuts::Keys m_keys;
    // The last combination refused per row, with the reason.
    std::map<BrimShortcutAction::Value, QString> m_refusals;
    bool m_started = false;
};

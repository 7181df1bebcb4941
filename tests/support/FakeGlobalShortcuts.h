#pragma once
// A desktop's global shortcuts as variables: which mechanism it offers, the
// keys it was given, and presses the test makes.

#include "models/BrimGlobalShortcuts.h"

#include <QHash>

struct FakeGlobalShortcuts final : BrimGlobalShortcuts {
    void start(Handlers h, Keys k) override { handlers = std::move(h), keys = std::move(k), running = true; }
    void setKeys(Keys k) override { keys = std::move(k); }
    BrimShortcutMechanism mechanism() const override { return offered; }
    BrimShortcutKeyProblem keyProblem(BrimShortcutAction action) const override
    {
        return problems.value(action.value(), BrimShortcutKeyProblem::none);
    }
    QString trigger(BrimShortcutAction action) const override { return triggers.value(action.value()); }
    void configure() override { ++configureCalls; }
    void stop() override { running = false; }
    void press(BrimShortcutAction action) const { handlers.activated(action); }

    Handlers handlers;
    Keys keys;
    bool running = false;
    BrimShortcutMechanism offered = BrimShortcutMechanism::keyGrabs;
    QHash<BrimShortcutAction::Value, BrimShortcutKeyProblem> problems;
    QHash<BrimShortcutAction::Value, QString> triggers;
    int configureCalls = 0;
};

#pragma once
// The model's and the panel's services as the running application provides them.

#include "models/BrimkitModel.h"
#include "shell/BrimkitPanel.h"

// The process-wide services of the shared modules: the login-item adapter
// of this session. Once, before any window is made.
void configureSystemServices();
BrimkitModel::Environment makeSystemEnvironment(std::shared_ptr<UserDefaults> defaults);
BrimkitPanel::Environment makeSystemPanelEnvironment(std::shared_ptr<UserDefaults> defaults);

#pragma once
// The model's and the panel's services as the running application provides them.

#include "models/BrimkitModel.h"
#include "shell/BrimkitPanel.h"

BrimkitModel::Environment makeSystemEnvironment(std::shared_ptr<UserDefaults> defaults);
BrimkitPanel::Environment makeSystemPanelEnvironment(std::shared_ptr<UserDefaults> defaults);

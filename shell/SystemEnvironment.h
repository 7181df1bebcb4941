#pragma once
// The model's services as the running application provides them.

#include "models/BrimkitModel.h"

BrimkitModel::Environment makeSystemEnvironment(std::shared_ptr<UserDefaults> defaults);

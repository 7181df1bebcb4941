#pragma once
// The login-item service of this session: the Background portal inside a
// Flatpak sandbox, XDG autostart entries everywhere else.

#include "services/LoginItemService.h"

#include <memory>

std::shared_ptr<LoginItemService> makeSystemLoginItemService();

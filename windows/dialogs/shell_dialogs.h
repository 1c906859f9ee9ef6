// The dialogs that the shell opens: the configuration dialog and the About box.
#pragma once

#include <windows.h>

#include <memory>

#include "config/configuration.h"
#include "platform/platform.h"

namespace tarnwick {

// Runs the configuration dialog modally with no parent, on the profile and service given.
std::unique_ptr<IConfigurationDialog> MakeConfigurationDialog(Platform& platform, const ServiceSettings& service);

// Runs the About box modally with no parent.
void RunAboutBox();

}  // namespace tarnwick

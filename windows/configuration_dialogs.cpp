#include "windows/configuration_dialogs.h"

namespace tarnwick {

namespace {

// Until the dialog exists, the command goes straight on to the reload and the cycle.
class NoConfigurationDialog : public IConfigurationDialog {
 public:
  void Run() override {}
};

}  // namespace

std::unique_ptr<IConfigurationDialog> MakeConfigurationDialog(Platform&, const ServiceSettings&) {
  return std::make_unique<NoConfigurationDialog>();
}

void RunAboutBox() {}

}  // namespace tarnwick

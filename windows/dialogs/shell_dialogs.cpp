#include "windows/dialogs/shell_dialogs.h"

#include "windows/dialogs/about_box.h"
#include "windows/dialogs/configuration_dialog.h"

namespace tarnwick {

namespace {

// Each showing gets a dialog object of its own, so nothing carries over between them.
class ModalConfigurationDialog : public IConfigurationDialog {
 public:
  ModalConfigurationDialog(Platform& platform, const ServiceSettings& service)
      : m_platform(platform), m_service(service) {}

  void Run(const std::function<void(const std::string&)>& logToFile) override {
    ConfigurationDialog dialog(m_platform.profile, m_platform.protection, m_platform.internet, m_platform.messageBox,
                               m_service, logToFile);
    dialog.RunModal();
  }

 private:
  Platform& m_platform;
  ServiceSettings m_service;
};

}  // namespace

std::unique_ptr<IConfigurationDialog> MakeConfigurationDialog(Platform& platform, const ServiceSettings& service) {
  return std::make_unique<ModalConfigurationDialog>(platform, service);
}

void RunAboutBox() {
  AboutBox about;
  about.RunModal();
}

}  // namespace tarnwick

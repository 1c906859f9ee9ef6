// Message boxes with OK, the exclamation icon and the application title.
#pragma once

#include "platform/user_interface.h"

namespace tarnwick {

class TitledMessageBox : public IMessageBox {
 public:
  void Show(const std::string& text) override;
};

}  // namespace tarnwick

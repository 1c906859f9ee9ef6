// "About Tarnwick": the program's full name, the service's logo and an OK button.
#pragma once

#include "windows/modal_dialog.h"

namespace tarnwick {

class CAboutThis : public ModalDialog {
 public:
  CAboutThis();

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace tarnwick

// "About Tarnwick": the program's full name, the service's logo and an OK button.
#pragma once

#include "windows/dialogs/modal_dialog.h"

namespace tarnwick {

class AboutBox : public ModalDialog {
 public:
  AboutBox();

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace tarnwick

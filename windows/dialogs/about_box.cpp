#include "windows/dialogs/about_box.h"

#include "res/resource.h"

namespace tarnwick {

AboutBox::AboutBox() : ModalDialog(IDD_ABOUTBOX) {}

BOOL AboutBox::OnInitDialog() {
  CentreOverOwnerOrScreen();
  return TRUE;
}

}  // namespace tarnwick

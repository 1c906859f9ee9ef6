#include "config/aboutthis_win.h"

#include "res/resource.h"

namespace tarnwick {

CAboutThis::CAboutThis() : ModalDialog(IDD_ABOUTBOX) {}

BOOL CAboutThis::OnInitDialog() {
  CentreOverOwnerOrScreen();
  return TRUE;
}

}  // namespace tarnwick

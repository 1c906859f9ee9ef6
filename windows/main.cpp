// The program's entry: the platform adapters, the single-instance guard, the hidden
// main frame and the message loop. There are no command-line options.
#include <windows.h>
#include <commctrl.h>

#include "app/application.h"
#include "config/configuration.h"
#include "res/resource.h"
#include "windows/clock_win.h"
#include "windows/dialogs/shell_dialogs.h"
#include "windows/file_system_win.h"
#include "windows/frame_window_win.h"
#include "windows/instance_marker_win.h"
#include "windows/curl_internet.h"
#include "windows/data_protection_win.h"
#include "windows/message_box_win.h"
#include "windows/recording_length_win.h"
#include "windows/registry_profile_win.h"
#include "windows/thread_starter_win.h"

namespace tarnwick {

namespace {

int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

int RunProgram(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  RegistryProfile profile(kRegistryKey, kApplicationTitle);
  WinFileSystem files;
  const ServiceSettings service = LoadServiceSettings(profile);
  std::unique_ptr<IInternet> internet = MakeCurlInternet(service.security);
  LocalClock clock;
  std::unique_ptr<IRecordingLength> media = MakeMciRecordingLength(instance);
  TitledMessageBox messageBox;
  CrtThreadStarter threads;
  UserDataProtection protection;
  Platform platform{profile, files, *internet, clock, *media, messageBox, threads, protection};

  std::unique_ptr<IConfigurationDialog> configurationDialog = MakeConfigurationDialog(platform, service);
  FrameWindow frame(instance, platform, service, configurationDialog.get());

  MutexInstanceMarker marker;
  Application application;
  const bool started = application.InitInstance(marker, messageBox, [&]() {
    if (!frame.LoadFrame(IDR_MAINFRAME, kMainFrameStyle)) return false;
    frame.ShowAndUpdate();
    // Only now does the frame count as the main window. Exit may already have been
    // chosen from the tray while the start-up configuration dialog was open; then
    // there is no window left for the message loop to serve.
    return frame.Handle() != nullptr;
  });
  if (!started) return 0;
  return RunMessageLoop();
}

}  // namespace

}  // namespace tarnwick

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return tarnwick::RunProgram(instance); }

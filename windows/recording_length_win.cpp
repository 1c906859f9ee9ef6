#include "windows/recording_length_win.h"

#include <vfw.h>

#include <cstdint>

namespace tarnwick {

namespace {

// The media window's own error messages stay on (no MCIWNDF_NOERRORDLG): a user
// whose recording cannot be opened is told so by the media window.
constexpr DWORD kMediaWindowStyle = MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU | MCIWNDF_NOOPEN;

class MciRecordingLength : public IRecordingLength {
 public:
  explicit MciRecordingLength(HINSTANCE instance) : m_instance(instance) {}

  long MeasureMilliseconds(const std::string& path) override {
    // A top-level window without owner, created without visible style, so it never
    // shows; it opens the file at once.
    HWND media = MCIWndCreateA(nullptr, m_instance, kMediaWindowStyle, path.c_str());
    if (media == nullptr) return 0;
    SendMessageA(media, MCIWNDM_SETTIMEFORMATA, 0, reinterpret_cast<LPARAM>("ms"));
    const LRESULT length = SendMessageA(media, MCIWNDM_GETLENGTH, 0, 0);
    SendMessageA(media, WM_CLOSE, 0, 0);
    return static_cast<std::int32_t>(length);
  }

 private:
  HINSTANCE m_instance;
};

}  // namespace

std::unique_ptr<IRecordingLength> MakeMciRecordingLength(HINSTANCE instance) {
  return std::make_unique<MciRecordingLength>(instance);
}

}  // namespace tarnwick

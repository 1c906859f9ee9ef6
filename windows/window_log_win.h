// The read-only edit control that fills the frame and holds the window log.
#pragma once

#include <windows.h>

#include "platform/user_interface.h"

namespace tarnwick {

class WindowLogEdit : public IWindowLog {
 public:
  // Creates the edit as a child of `frame` with `font`; false when it cannot be made.
  bool Create(HWND frame, HINSTANCE instance, HFONT font);
  HWND Handle() const { return m_window; }

  void Insert(const std::string& text) override;
  void Clear() override;
  bool HasContent() override;
  std::size_t Length() override;
  std::string Text() override;
  void RemoveLeading(std::size_t count) override;

 private:
  HWND m_window = nullptr;
};

}  // namespace tarnwick

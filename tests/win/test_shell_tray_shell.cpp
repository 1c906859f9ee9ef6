// The tray record as the shell receives it, and the shell's answers to it under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "res/resource.h"
#include "windows/tray_shell_win.h"

namespace tarnwick {
namespace {

TrayRecord SampleRecord(HWND window, HICON icon) {
  TrayRecord record;
  record.size = TrayRecord::kRecordSize;
  record.window = reinterpret_cast<std::uintptr_t>(window);
  record.id = 3;
  record.flags = TrayRecord::kFlagIcon | TrayRecord::kFlagTip | TrayRecord::kFlagMessage;
  record.callbackMessage = WM_USER;
  record.icon = reinterpret_cast<std::uintptr_t>(icon);
  std::strcpy(record.tip, "Dravos Upload Ulkin. Right click for menu.");
  return record;
}

TEST(TrayShellRecord, CarriesTheFieldsInTheOriginalSize) {
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  const NOTIFYICONDATAA data = ToNotifyIconData(SampleRecord(reinterpret_cast<HWND>(0x1234), icon));
  EXPECT_EQ(data.cbSize, 88u);
  EXPECT_EQ(data.hWnd, reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(data.uID, 3u);
  EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
  EXPECT_EQ(data.uCallbackMessage, static_cast<UINT>(WM_USER));
  EXPECT_EQ(data.hIcon, icon);
  EXPECT_STREQ(data.szTip, "Dravos Upload Ulkin. Right click for menu.");
}

TEST(TrayShellRecord, AFullTipIsCutToFitItsField) {
  TrayRecord record = SampleRecord(nullptr, nullptr);
  std::memset(record.tip, 'x', sizeof record.tip);
  const NOTIFYICONDATAA data = ToNotifyIconData(record);
  EXPECT_EQ(std::strlen(data.szTip), 63u);
}

// A hidden window is enough for the shell to address its callbacks.
class TrayShellTest : public ::testing::Test {
 protected:
  TrayShellTest()
      : window(CreateWindowExA(0, "STATIC", "tray test", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
  ~TrayShellTest() override { DestroyWindow(window); }

  HWND window;
  ShellTray shell{GetModuleHandleA(nullptr)};
};

TEST_F(TrayShellTest, ShellAcceptsTheRecordToAddModifyAndDelete) {
  ASSERT_NE(window, nullptr);
  HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  const TrayRecord record = SampleRecord(window, icon);
  EXPECT_TRUE(shell.Notify(TrayOperation::Add, record));
  EXPECT_TRUE(shell.Notify(TrayOperation::Modify, record));
  EXPECT_TRUE(shell.Notify(TrayOperation::Delete, record));
  // Once gone, a change fails: the tray icon then adds itself afresh.
  EXPECT_FALSE(shell.Notify(TrayOperation::Modify, record));
}

TEST_F(TrayShellTest, ResourcesComeFromTheProgramAndMissingOnesYieldNothing) {
  EXPECT_EQ(shell.LoadText(101), "Dravos Upload Ulkin. Right click for menu.");
  EXPECT_EQ(shell.LoadText(102), "Tarnwick - Connected. Pease Wait...");
  EXPECT_NE(shell.LoadIconImage(101), 0u);
  EXPECT_NE(shell.LoadIconImage(102), shell.LoadIconImage(101));
  EXPECT_EQ(shell.LoadText(999), "");
  EXPECT_EQ(shell.LoadIconImage(999), 0u);
  EXPECT_FALSE(shell.TrackMenu(999, reinterpret_cast<std::uintptr_t>(window)));
  EXPECT_FALSE(shell.SendDefaultCommand(999, reinterpret_cast<std::uintptr_t>(window)));
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct IconGroupHeader {
  WORD reserved, type, count;
  IconGroupEntry entries[1];
};
#pragma pack(pop)

const int kIconSizes[] = {16, 20, 24, 32, 40, 48};

const BYTE* ResourceBytes(LPCSTR name, LPCSTR type) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, name, type);
  return found != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
}

int BitmapWidth(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// Every scale of the display from 100 to 200 % has an image of its own, drawn at
// that size rather than stretched from another.
TEST(TrayIconImages, EachIconHasAnImageForEverySizeTheSystemAsksFor) {
  for (unsigned id : {unsigned{IDI_IDLE}, unsigned{IDI_BUSY}, unsigned{IDR_MAINFRAME}}) {
    SCOPED_TRACE(id);
    const auto* group = reinterpret_cast<const IconGroupHeader*>(ResourceBytes(MAKEINTRESOURCEA(id), RT_GROUP_ICON));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count, 6u);
    for (int size : kIconSizes) {
      SCOPED_TRACE(size);
      // The system's own choice for that size is an image of that size.
      const int chosen = LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<IconGroupHeader*>(group)),
                                                     TRUE, size, size, LR_DEFAULTCOLOR);
      const auto* image =
          reinterpret_cast<const BITMAPINFOHEADER*>(ResourceBytes(MAKEINTRESOURCEA(chosen), RT_ICON));
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->biWidth, size);
      EXPECT_EQ(image->biBitCount, 32);
      HICON icon = LoadIconOfSize(GetModuleHandleA(nullptr), id, size);
      EXPECT_EQ(BitmapWidth(icon), size);
      DestroyIcon(icon);
    }
  }
}

TEST(TrayIconImages, TheTrayGetsTheSmallIconSizeOnceForEveryImage) {
  ShellTray shell{GetModuleHandleA(nullptr)};
  const std::uintptr_t idle = shell.LoadIconImage(IDI_IDLE);
  EXPECT_EQ(BitmapWidth(reinterpret_cast<HICON>(idle)), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(shell.LoadIconImage(IDI_IDLE), idle);  // switching back and forth makes no new handles
  EXPECT_NE(shell.LoadIconImage(IDI_BUSY), idle);
}

}  // namespace
}  // namespace tarnwick

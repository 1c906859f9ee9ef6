// The single-instance marker and the worker start, on the real kernel objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "windows/instance_marker_win.h"
#include "windows/thread_starter_win.h"

namespace tarnwick {
namespace {

struct TakeAttempt {
  HANDLE mutex;
  DWORD result;
};

DWORD WINAPI TryToTake(void* argument) {
  auto* attempt = static_cast<TakeAttempt*>(argument);
  attempt->result = WaitForSingleObject(attempt->mutex, 0);
  if (attempt->result == WAIT_OBJECT_0) ReleaseMutex(attempt->mutex);
  return 0;
}

TEST(MutexInstanceMarker, TheFirstMarkerWinsAndTheNameOutlivesItsOwnership) {
  const std::string name = "Tarnwick_shell_test_" + std::to_string(GetCurrentProcessId());
  MutexInstanceMarker marker;
  EXPECT_FALSE(marker.AnotherInstanceRuns(name));
  EXPECT_TRUE(marker.AnotherInstanceRuns(name));

  // Ownership was dropped at once: another thread can take the mutex.
  TakeAttempt attempt{OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()), WAIT_FAILED};
  ASSERT_NE(attempt.mutex, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, TryToTake, &attempt, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
  CloseHandle(attempt.mutex);
  EXPECT_EQ(attempt.result, static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(CrtThreadStarter, RunsTheBodyOnAThreadOfItsOwn) {
  CrtThreadStarter starter;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> bodyThread{0};
  ASSERT_TRUE(starter.Start([&]() {
    bodyThread = GetCurrentThreadId();
    SetEvent(done);
  }));
  ASSERT_EQ(WaitForSingleObject(done, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(done);
  EXPECT_NE(bodyThread.load(), 0u);
  EXPECT_NE(bodyThread.load(), GetCurrentThreadId());
}

}  // namespace
}  // namespace tarnwick

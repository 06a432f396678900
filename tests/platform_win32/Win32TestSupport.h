#pragma once
// A Win32 platform per test and a bounded wait that keeps the message loop running.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/win32/Win32Platform.h"

namespace zerka {

class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { installation_ = InstallWin32Platform(); }
  void TearDown() override {
    // Leave nothing queued for the next test.
    installation_->Platform().EventLoop().DispatchPending();
    installation_.reset();
  }

  IPlatform& P() { return installation_->Platform(); }

  // Dispatches messages until done() holds or boundMs have passed; true when it held.
  bool WaitFor(const std::function<bool()>& done, DWORD boundMs = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= boundMs) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, boundMs - elapsed, QS_ALLINPUT);
      P().EventLoop().DispatchPending();
    }
    return true;
  }

 private:
  std::unique_ptr<TWin32PlatformInstallation> installation_;
};

}  // namespace zerka

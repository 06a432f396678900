#pragma once
// Pointer and keyboard state as the system has it now.

#include "framework/Platform.h"

namespace zerka::win32 {

class TWin32Input final : public IInputPort {
 public:
  bool GetCursorPos(TPoint& pos) override;
  bool IsKeyDown(TVirtualKey key) override;
  std::uint32_t GetDoubleClickTime() override;
  void Beep() override;
};

}  // namespace zerka::win32

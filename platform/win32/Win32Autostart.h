#pragma once
// Start at log-on on Windows: the value "Zerka2 Remote" under the current user's Run key,
// holding this executable's full path in double quotes.

#include "framework/Autostart.h"

namespace zerka::win32 {

class TWin32Autostart : public IAutostartPort {
 public:
  bool Enable() override;
  bool Disable() override;
  bool IsEnabled() override;
};

}  // namespace zerka::win32

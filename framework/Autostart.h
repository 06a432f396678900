#pragma once
// Start at log-on: whether the program starts by itself when its user logs on. Each desktop
// keeps this in its own place (the Run key on Windows, the autostart folder on Linux), so each
// platform implements it once.

namespace zerka {

class IAutostartPort {
 public:
  virtual ~IAutostartPort() = default;
  // From the next log-on the program starts by itself; false when that could not be arranged.
  virtual bool Enable() = 0;
  // It no longer does; true as well when it never did.
  virtual bool Disable() = 0;
  virtual bool IsEnabled() = 0;
};

}  // namespace zerka

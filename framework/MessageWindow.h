#pragma once
// A hidden window that routes its messages to a handler. An exception escaping the handler
// ends that message and goes to the common error box; the loop goes on.

#include "framework/Platform.h"

namespace zerka {

// Wraps a window's handler so that nothing it raises reaches the platform's loop.
TMessageHandler GuardHandler(TMessageHandler handler);

class TMessageWindow {
 public:
  explicit TMessageWindow(TMessageHandler handler);
  ~TMessageWindow();
  TMessageWindow(const TMessageWindow&) = delete;
  TMessageWindow& operator=(const TMessageWindow&) = delete;

  TWindowHandle Handle() const { return handle_; }

 private:
  TWindowHandle handle_;
};

}  // namespace zerka

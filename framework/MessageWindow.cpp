#include "framework/MessageWindow.h"

#include <exception>

#include "framework/Application.h"

namespace zerka {

TMessageHandler GuardHandler(TMessageHandler handler) {
  return [handler = std::move(handler)](TMessage& message) {
    try {
      return handler(message);
    } catch (const std::exception& e) {
      HandleEventException(e);
      return true;
    }
  };
}

TMessageWindow::TMessageWindow(TMessageHandler handler)
    : handle_(Platform().EventLoop().CreateMessageWindow(GuardHandler(std::move(handler)))) {}

TMessageWindow::~TMessageWindow() { Platform().EventLoop().DestroyMessageWindow(handle_); }

}  // namespace zerka

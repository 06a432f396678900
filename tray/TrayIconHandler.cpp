#include "tray/TrayIconHandler.h"

#include <memory>

#include "tray/SysTrayIcon.h"

namespace zerka {
namespace {

std::unique_ptr<TTrayIconHandler> handler;

}  // namespace

TTrayIconHandler::TTrayIconHandler() : window_([this](TMessage& message) { return WndProc(message); }) {}

std::uint32_t TTrayIconHandler::Register(TSysTrayIcon* icon) {
  std::uint32_t identity = 1;
  while (live_.count(identity)) ++identity;
  live_.emplace(identity, icon);
  return identity;
}

bool TTrayIconHandler::WndProc(TMessage& message) {
  switch (message.Msg) {
    case TrayCallbackMessage: {
      // The identity fits in 32 bits; a wider WParam with the same low bits is someone else's.
      if (message.WParam > UINT32_MAX) return true;
      const auto found = live_.find(static_cast<std::uint32_t>(message.WParam));
      message.Result = 0;
      // The icon's handlers may destroy it, and with the last icon this handler: nothing of
      // either is touched afterwards.
      if (found != live_.end()) found->second->TrayCallback(static_cast<std::uint32_t>(message.LParam));
      return true;
    }
    case msg::Destroy:
    case msg::Close:
    case msg::QueryEndSession:
    case msg::Quit:
    case msg::EndSession:
    case msg::NcDestroy:
      // Neither closes on request nor holds up a shutdown or log-off.
      message.Result = 1;
      return true;
    default:
      return false;
  }
}

TTrayIconHandler& AcquireTrayHandler() {
  if (!handler) handler = std::make_unique<TTrayIconHandler>();
  ++handler->UserCount;
  return *handler;
}

void ReleaseTrayHandler() {
  if (!handler) return;
  if (handler->UserCount > 0) --handler->UserCount;
  if (handler->UserCount == 0) handler.reset();
}

TTrayIconHandler* TrayHandler() { return handler.get(); }

}  // namespace zerka

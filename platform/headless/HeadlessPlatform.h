#pragma once
// The headless platform: every port in process, on a virtual clock, for the test suite.
// Making one installs it; destroying it puts back the platform installed before.
//
// Implements: event loop (run until idle), message windows, timers (virtual clock), windows
// as models, notification area (recorded, callbacks injected), message boxes and popup menus
// (scripted), cursor/keys/double-click time (set by the test), clipboard, shell open, the
// settings store (in memory) and the date and time in one fixed German form.

#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/HeadlessDialogs.h"
#include "platform/headless/HeadlessLoop.h"
#include "platform/headless/HeadlessNotifyArea.h"
#include "platform/headless/HeadlessSettings.h"

namespace zerka::headless {

class THeadlessPlatform : public IPlatform {
 public:
  THeadlessPlatform();
  ~THeadlessPlatform() override;
  THeadlessPlatform(const THeadlessPlatform&) = delete;
  THeadlessPlatform& operator=(const THeadlessPlatform&) = delete;

  IEventLoopPort& EventLoop() override { return Loop; }
  ITimerPort& Timers() override { return Loop; }
  INotifyAreaPort& NotifyArea() override { return Tray; }
  IDialogPort& Dialogs() override { return Modal; }
  IInputPort& Input() override { return Desktop; }
  IShellPort& Shell() override { return Desktop; }
  ILocalePort& Locale() override { return Desktop; }
  ISettingsPort& Settings() override { return Store; }
  IWindowPort& Windows() override { return Loop; }

  THeadlessLoop Loop;
  THeadlessNotifyArea Tray{Loop};
  THeadlessDialogs Modal{Loop};
  THeadlessDesktop Desktop;
  THeadlessSettings Store;

 private:
  IPlatform* previous_;
};

}  // namespace zerka::headless

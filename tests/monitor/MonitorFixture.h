#pragma once
// The monitor window on the headless platform, aimed at a simulated server on loopback. The
// platform's clock drives Timer1; the server's line runs on a manual clock of its own.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Latin1.h"
#include "framework/Application.h"
#include "monitor/Pictures.h"
#include "monitor/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sim/SimServer.h"

namespace zerka {

inline const std::string kSettingsPath = "Software\\Velmarin\\Zerka 2 Remote 2";

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest() : sim(Options()) {}
  ~MonitorTest() override { application.reset(); }

  sim::ServerOptions Options() {
    sim::ServerOptions options;
    options.clock = clock;
    options.credentials = sim::Credentials{"admin", "geheim"};
    return options;
  }

  // Settings that make the window poll the simulated server every second.
  void SeedPolling(bool balloons = true) {
    Seed("Proxy Host", "127.0.0.1");
    Seed("Proxy Port", std::to_string(sim.RemotePort()));
    Seed("Abfrageinterval", "1000");
    Seed("Aktiviert", "1");
    Seed("Ballooninfo", balloons ? "1" : "0");
  }
  void Seed(const std::string& name, const std::string& value) { platform.Store.PutString(kSettingsPath, name, value); }
  std::string Stored(const std::string& name) const {
    const auto value = platform.Store.Get(kSettingsPath, name);
    if (!value) return "<missing>";
    return std::string(value->Data.begin(), value->Data.end());
  }

  void Start() {
    application = std::make_unique<TApplication>();
    application->SetTitle(ProgramTitle());
    application->ShowMainForm = false;
    form = new TZerka2Remote2Config(application.get());
  }

  // Moves the platform clock one polling interval on: one cycle when polling is on.
  void Tick() { platform.Loop.Advance(form->Timer1->Interval()); }

  const TNotifyIconData& TrayIcon() const {
    const TNotifyIconData* icon = platform.Tray.Icon(form->SysTrayIcon1->Identity());
    if (!icon) throw std::runtime_error("the tray icon is not in the notification area");
    return *icon;
  }
  // The index of the tray picture on show; -1 when it is none of them.
  int TrayPicture() const {
    const auto& pictures = TrayPictures();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      if (TrayIcon().hIcon == pictures[i]) return static_cast<int>(i);
    }
    return -1;
  }
  std::vector<TNotifyIconData> Balloons() const {
    std::vector<TNotifyIconData> balloons;
    for (const auto& call : platform.Tray.Calls) {
      if ((call.Data.uFlags & nif::Info) && call.Data.szInfo[0] != '\0') balloons.push_back(call.Data);
    }
    return balloons;
  }
  std::string StatusLine() const { return form->StatusBar1->SimpleText(); }
  static bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }

  // Presses a button as its peer would report a click.
  void Press(TControl* button) {
    platform.Loop.SendWindowMessage(button->Handle(), msg::Command, control_notify::Clicked, 0);
  }
  // Chooses a tray menu item through the icon's right-button menu.
  void ChooseMenuItem(TMenuItem* item, std::function<void()> whileOpen = {}) {
    const auto& items = form->PopupMenu1->Items();
    const auto found = std::find(items.begin(), items.end(), item);
    ASSERT_NE(found, items.end());
    platform.Modal.AnswerMenu(static_cast<int>(found - items.begin()), std::move(whileOpen));
    platform.Tray.Callback(form->SysTrayIcon1->Identity(), msg::RButtonDown);
  }

  headless::THeadlessPlatform platform;
  std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
  sim::SimServer sim;
  std::unique_ptr<TApplication> application;
  TZerka2Remote2Config* form = nullptr;
};

}  // namespace zerka

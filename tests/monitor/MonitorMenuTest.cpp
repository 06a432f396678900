// The tray menu's commands reaching the server, their confirmations, the administration page
// and the clipboard.

#include <chrono>

#include "tests/monitor/MonitorFixture.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;
using MonitorMenu = MonitorTest;

bool Reached(const sim::SimServer& sim, std::uint8_t code) {
  return sim.WaitForTraffic([code](const sim::Traffic& t) { return t.datagramsByCode[code] > 0; }, 2s);
}

TEST_F(MonitorMenu, TheMenuShowsItsItemsWithPictures) {
  Start();
  platform.Tray.Callback(form->SysTrayIcon1->Identity(), msg::RButtonDown);
  ASSERT_EQ(platform.Modal.Menus.size(), 1u);
  const auto& entries = platform.Modal.Menus[0].Entries;
  ASSERT_EQ(entries.size(), 13u);
  EXPECT_EQ(entries[0].Caption, "Zerka2 Remote - Einstellungen...");
  EXPECT_EQ(entries[0].Picture, MenuPictures()[0]);
  EXPECT_EQ(entries[1].Caption, "-");
  EXPECT_EQ(entries[10].Caption, "DFÜ sperren / entsperren"_l1);
  EXPECT_EQ(entries[10].Picture, MenuPictures()[3]);
  EXPECT_EQ(entries[12].Caption, "Ende");
  EXPECT_EQ(entries[12].Picture, MenuPictures()[1]);
}

TEST_F(MonitorMenu, PlainCommandsReachTheServer) {
  SeedPolling();
  Start();
  ChooseMenuItem(form->LogOut1);
  EXPECT_TRUE(Reached(sim, 5));
  ChooseMenuItem(form->Mailsabholen1);
  EXPECT_TRUE(Reached(sim, 4));
  ChooseMenuItem(form->Df1);
  EXPECT_TRUE(Reached(sim, 6));
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());
}

TEST_F(MonitorMenu, StopAndRestartAskFirstAndCancelSendsNothing) {
  SeedPolling();
  Seed("HTTP User", "admin");
  Start();
  platform.Modal.AnswerMessageBox(TModalResult::Cancel);
  ChooseMenuItem(form->Zerka2beenden1);
  platform.Modal.AnswerMessageBox(TModalResult::Cancel);
  ChooseMenuItem(form->Zerka2neustarten1);
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 2u);
  for (const auto& box : platform.Modal.MessageBoxes) {
    EXPECT_EQ(box.Text, "Bestehende Verbindungen werden gekappt!");
    EXPECT_EQ(box.Caption, "Beenden");
    EXPECT_EQ(box.Buttons, TMsgButtons::OKCancel);
  }
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[99], 0u);
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[8], 0u);
  EXPECT_EQ(sim.GetTraffic().httpRequests, 0u);

  // The password as typed, not yet applied.
  form->httpPasswort->SetText("geheim");
  platform.Modal.AnswerMessageBox(TModalResult::OK);
  ChooseMenuItem(form->Zerka2neustarten1);
  EXPECT_EQ(sim.GetTraffic().restarts, 1u);

  platform.Modal.AnswerMessageBox(TModalResult::OK);
  ChooseMenuItem(form->Zerka2beenden1);
  EXPECT_TRUE(sim.WaitUntilStopped(2s));
}

TEST_F(MonitorMenu, AdminPageUrlWithAndWithoutAnAnswer) {
  SeedPolling();
  Start();
  sim.SetReportedAdminPort(8080);
  ChooseMenuItem(form->Zerka2Einstellungen1);
  ASSERT_EQ(platform.Desktop.Opened.size(), 1u);
  EXPECT_EQ(platform.Desktop.Opened[0].Target, "http://127.0.0.1:8080/zerka-admin/");
  EXPECT_EQ(platform.Desktop.Opened[0].Show, TShowCommand::ShowMaximized);
  EXPECT_EQ(platform.Desktop.Opened[0].Owner, form->Handle());

  sim.SetDatagramFault(sim::DatagramFault::Silent);
  ChooseMenuItem(form->Zerka2Einstellungen1);
  ASSERT_EQ(platform.Desktop.Opened.size(), 2u);
  EXPECT_EQ(platform.Desktop.Opened[1].Target, "http://127.0.0.1:2506/zerka-admin/");
}

TEST_F(MonitorMenu, CopyingTheAddressBeforeAndAfterTheFirstCycle) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.9.8.7", 10s, 120s); });
  SeedPolling();
  Start();
  ChooseMenuItem(form->IPindieZwischenablagekopieren1);
  EXPECT_EQ(platform.Desktop.ClipboardText, "DFÜ-IP?"_l1);
  Tick();
  ChooseMenuItem(form->IPindieZwischenablagekopieren1);
  EXPECT_EQ(platform.Desktop.ClipboardText, "10.9.8.7");
}

TEST_F(MonitorMenu, SettingsItemShowsTheWindowAndEndAsks) {
  Start();
  ChooseMenuItem(form->Einstellungen1);
  EXPECT_TRUE(form->Visible());
  ASSERT_FALSE(platform.Loop.ForegroundCalls.empty());
  EXPECT_EQ(platform.Loop.ForegroundCalls.back(), form->Handle());

  platform.Modal.AnswerMessageBox(TModalResult::OK);
  ChooseMenuItem(form->Ende1);
  EXPECT_TRUE(application->Terminated());
}

TEST_F(MonitorMenu, ACommandFailureStopsPollingAndShowsTheText) {
  SeedPolling();
  Start();
  form->Zerka2Remote1->SetPort(0);
  ChooseMenuItem(form->LogOut1);
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_FALSE(StatusLine().empty());
  EXPECT_EQ(TrayPicture(), 7);
}

}  // namespace
}  // namespace zerka

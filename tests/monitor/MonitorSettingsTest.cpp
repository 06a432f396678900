// The window's life and its settings: start, the reading rules, Apply, show, close, log-off.

#include <chrono>

#include "tests/monitor/MonitorFixture.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;

using MonitorSettings = MonitorTest;

TEST_F(MonitorSettings, FirstStartTakesTheDefaultsAndCreatesOnlyTheKey) {
  Start();
  EXPECT_EQ(form->Zerka2Remote1->Host(), "127.0.0.1");
  EXPECT_EQ(form->Zerka2Remote1->Port(), 4295);
  EXPECT_EQ(form->Timer1->Interval(), 1000u);
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_TRUE(form->FBalloonInfo);
  EXPECT_EQ(form->httpBenutzername->Text(), "");
  EXPECT_EQ(form->httpPasswort->Text(), "");
  EXPECT_TRUE(platform.Store.KeyExists("Software\\Velmarin"));
  EXPECT_FALSE(platform.Store.KeyExists(kSettingsPath));
  EXPECT_EQ(platform.Store.OpenHandles(), 0u);
  // Hidden, with only the tray icon showing the unknown state.
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(TrayPicture(), 7);
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());

  Press(form->BitBtn5);
  EXPECT_TRUE(platform.Store.KeyExists(kSettingsPath));
}

TEST_F(MonitorSettings, ReadingRulesForBadAndOddValues) {
  Seed("Proxy Port", "abc");
  Seed("Proxy Host", "");
  Seed("Aktiviert", "2");
  Seed("Ballooninfo", "x");
  Seed("Abfrageinterval", "250");
  Seed("HTTP User", "admin");
  platform.Store.Put(kSettingsPath, "HTTP Passwort", TValueType::ExpandString,
                     {'%', 'P', '%', 0, 'z', 0});
  Start();
  EXPECT_EQ(form->Zerka2Remote1->Port(), 4295);
  EXPECT_EQ(form->Zerka2Remote1->Host(), "");
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_EQ(form->Timer1->Interval(), 250u);
  EXPECT_TRUE(form->FBalloonInfo);
  EXPECT_EQ(form->httpBenutzername->Text(), "admin");
  EXPECT_EQ(form->httpPasswort->Text(), "%P%");
}

TEST_F(MonitorSettings, EmptyBalloonSettingReadsAsOn) {
  Seed("Ballooninfo", "");
  Seed("Aktiviert", "0");
  Start();
  EXPECT_TRUE(form->FBalloonInfo);
  EXPECT_FALSE(form->Timer1->Enabled());
}

TEST_F(MonitorSettings, NumberTypedPortStopsTheLoadWithTheErrorBox) {
  SeedPolling();
  platform.Store.Put(kSettingsPath, "Proxy Port", TValueType::DWord, {0x27, 0x10, 0, 0});
  Seed("HTTP User", "admin");
  Start();
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 1u);
  const auto& box = platform.Modal.MessageBoxes[0];
  EXPECT_EQ(box.Text, "Ungültiger Datentyp für 'Proxy Port'"_l1);
  EXPECT_EQ(box.Caption, ProgramTitle());
  EXPECT_EQ(box.Icon, TMsgIcon::Stop);
  EXPECT_EQ(box.Buttons, TMsgButtons::OK);
  // Everything after the failing read keeps its built-in state.
  EXPECT_EQ(form->Zerka2Remote1->Host(), "");
  EXPECT_EQ(form->Zerka2Remote1->Port(), TZerka2Remote::DefaultPort);
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_EQ(form->Timer1->Interval(), 1000u);
  EXPECT_FALSE(form->FBalloonInfo);
  EXPECT_EQ(form->httpBenutzername->Text(), "");
  EXPECT_EQ(TrayPicture(), 0);
  EXPECT_EQ(platform.Store.OpenHandles(), 0u);
}

TEST_F(MonitorSettings, ApplyHoldsTheFieldsWithinTheirRangesAndStoresStrings) {
  Start();
  form->Einstellungen1Click(nullptr);
  form->ProxyPort->SetText("");
  form->Abfrageinterval->SetText("");
  form->ProxyHost->SetText("");
  Press(form->BitBtn5);
  EXPECT_EQ(Stored("Proxy Port"), std::string("1\0", 2));
  EXPECT_EQ(Stored("Abfrageinterval"), std::string("50\0", 3));
  EXPECT_EQ(Stored("Proxy Host"), std::string("\0", 1));
  EXPECT_EQ(form->Zerka2Remote1->Port(), 1);
  EXPECT_EQ(form->Timer1->Interval(), 50u);

  // Typed and confirmed with Enter while the focus stays in the field.
  form->ProxyPort->SetText("70000");
  form->Abfrageinterval->SetText("10");
  ASSERT_TRUE(PressDialogKey(*form, TDialogKey::Enter, form->ProxyPort));
  EXPECT_EQ(Stored("Proxy Port"), std::string("65535\0", 6));
  EXPECT_EQ(Stored("Abfrageinterval"), std::string("50\0", 3));
  EXPECT_EQ(form->Zerka2Remote1->Port(), 65535);
  EXPECT_EQ(form->Timer1->Interval(), 50u);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(Stored("Aktiviert"), std::string("0\0", 2));
  EXPECT_EQ(Stored("Ballooninfo"), std::string("1\0", 2));
}

TEST_F(MonitorSettings, EveryApplyRestartsTheInterval) {
  Seed("Abfrageinterval", "1000");
  Seed("Proxy Port", std::to_string(sim.RemotePort()));
  Start();
  form->Einstellungen1Click(nullptr);
  form->Aktiviert->SetChecked(true);
  Press(form->BitBtn5);
  platform.Loop.Advance(600);
  Press(form->BitBtn5);
  platform.Loop.Advance(600);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 0u);
  platform.Loop.Advance(400);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 1u);
  EXPECT_EQ(Stored("Aktiviert"), std::string("1\0", 2));

  form->Aktiviert->SetChecked(false);
  Press(form->BitBtn5);
  platform.Loop.Advance(5000);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 1u);
}

TEST_F(MonitorSettings, ApplyShowsTheUnknownPictureAndAFailedApplyKeepsTheWindowAndPollingOff) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 10s, 120s); });
  SeedPolling();
  Start();
  Tick();
  ASSERT_EQ(TrayPicture(), 2);
  form->Einstellungen1Click(nullptr);
  Press(form->BitBtn5);
  EXPECT_EQ(TrayPicture(), 7);
  EXPECT_TRUE(form->Visible());

  Tick();
  const int shown = TrayPicture();
  ASSERT_EQ(shown, 2);
  platform.Store.RefuseWrites = true;
  Press(form->BitBtn1);
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 1u);
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Text, "Fehler beim Setzen der Daten für 'Proxy Port'"_l1);
  EXPECT_TRUE(form->Visible());
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_EQ(TrayPicture(), shown);
  platform.Loop.Advance(5000);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 2u);
}

TEST_F(MonitorSettings, ShowRefillsTheAppliedValuesButKeepsTheHttpFields) {
  Seed("Proxy Host", "zerka.local");
  Seed("HTTP Passwort", "alt");
  Start();
  EXPECT_EQ(form->ProxyHost->Text(), "");
  form->Einstellungen1Click(nullptr);
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(form->ProxyHost->Text(), "zerka.local");
  EXPECT_EQ(form->ProxyPort->Text(), "4295");
  EXPECT_EQ(form->Abfrageinterval->Text(), "1000");
  EXPECT_FALSE(form->Aktiviert->Checked());
  EXPECT_TRUE(form->BalloonInfo->Checked());

  form->ProxyHost->SetText("anders");
  form->httpPasswort->SetText("neu");
  ASSERT_TRUE(PressDialogKey(*form, TDialogKey::Escape, nullptr));
  EXPECT_FALSE(form->Visible());
  form->Einstellungen1Click(nullptr);
  EXPECT_EQ(form->ProxyHost->Text(), "zerka.local");
  EXPECT_EQ(form->httpPasswort->Text(), "neu");
  EXPECT_EQ(Stored("HTTP Passwort"), std::string("alt\0", 4));

  // Shown again while visible: only brought to the front, edits stay.
  form->ProxyHost->SetText("ungespeichert");
  form->Einstellungen1Click(nullptr);
  EXPECT_EQ(form->ProxyHost->Text(), "ungespeichert");
  EXPECT_EQ(platform.Loop.GetForegroundWindow(), form->Handle());
}

TEST_F(MonitorSettings, SpinFieldsFilterKeysStepAndHoldTheirRange) {
  Start();
  form->Einstellungen1Click(nullptr);
  TSpinEdit& port = *form->ProxyPort;
  EXPECT_FALSE(port.KeyPress('a'));
  EXPECT_FALSE(port.KeyPress('\r'));
  EXPECT_TRUE(port.KeyPress('7'));
  EXPECT_TRUE(port.KeyPress('-'));
  EXPECT_TRUE(port.KeyPress('\b'));
  // Through the peer: a refused character is consumed and the text stays.
  const std::string before = port.Text();
  EXPECT_EQ(platform.Loop.SendWindowMessage(port.Handle(), control_msg::Char, 'x', 0), 0);
  EXPECT_EQ(port.Text(), before);

  port.SetValue(65535);
  platform.Loop.SendWindowMessage(port.Handle(), control_msg::KeyDown, control_msg::VkUp, 0);
  EXPECT_EQ(port.Text(), "65535");
  port.SetValue(1);
  port.StepDown();
  EXPECT_EQ(port.Text(), "1");
  port.StepUp();
  EXPECT_EQ(port.Value(), 2);

  port.SetText("99999999999");
  EXPECT_EQ(port.Value(), 65535);
  port.SetText("0");
  platform.Loop.SendWindowMessage(port.Handle(), control_msg::KillFocus, 0, 0);
  EXPECT_EQ(port.Text(), "1");
  port.SetText("12ab");
  EXPECT_EQ(port.Value(), 1);
}

TEST_F(MonitorSettings, TabOrderAndAccessKeysFollowTheLayout) {
  Start();
  std::vector<std::string> names;
  for (const TControl* control : TabSequence(*form)) names.push_back(control->Name);
  const std::vector<std::string> expected = {
      "Aktiviert", "ProxyPort", "Abfrageinterval", "ProxyHost", "httpBenutzername", "httpPasswort",
      "Internetverbindungen", "Status", "DFUEGesperrt", "Zeitbisauflegen", "DFUEIP", "Onlinezeit",
      "BitBtn3", "BitBtn2", "BitBtn1", "BitBtn4", "BitBtn5", "BalloonInfo"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(form->BitBtn3->AccessKey(), 'C');
  EXPECT_EQ(form->BitBtn4->AccessKey(), 'H');
  EXPECT_EQ(form->httpPasswort->PasswordChar(), '*');
  EXPECT_EQ(form->Status->Text(), "Status?");
  EXPECT_EQ(form->DFUEGesperrt->Text(), "DFÜ gesperrt?"_l1);

  ASSERT_TRUE(PressAccessKey(*form, 'h'));
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 1u);
  EXPECT_NE(platform.Modal.MessageBoxes[0].Text.find("-=-=-=-"), std::string::npos);
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Caption, ProgramTitle());
}

TEST_F(MonitorSettings, EveryCloseRequestAsksAndCancelKeepsRunning) {
  Start();
  const std::string question = "Keine Überwachung des Proxy-Servers nach Beendigung des Programmes!"_l1;
  platform.Modal.AnswerMessageBox(TModalResult::Cancel);
  form->Ende1Click(nullptr);
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 1u);
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Text, question);
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Caption, "Beenden");
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Buttons, TMsgButtons::OKCancel);
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Icon, TMsgIcon::None);
  EXPECT_FALSE(application->Terminated());
  EXPECT_FALSE(form->Visible());

  // The close button closes the window once, without its click binding.
  form->Einstellungen1Click(nullptr);
  platform.Modal.AnswerMessageBox(TModalResult::Cancel);
  Press(form->BitBtn3);
  EXPECT_EQ(platform.Modal.MessageBoxes.size(), 2u);
  EXPECT_TRUE(form->Visible());

  // The system close box.
  platform.Modal.AnswerMessageBox(TModalResult::OK);
  platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Close, 0);
  EXPECT_EQ(platform.Modal.MessageBoxes.size(), 3u);
  EXPECT_TRUE(application->Terminated());
  const std::uint32_t icon = form->SysTrayIcon1->Identity();
  application.reset();
  EXPECT_EQ(platform.Tray.Icon(icon), nullptr);
}

TEST_F(MonitorSettings, LogOffStopsPollingWithoutAQuestion) {
  SeedPolling();
  Start();
  ASSERT_TRUE(form->Timer1->Enabled());
  platform.Loop.SendWindowMessage(form->Handle(), msg::EndSession, 0, 0);
  EXPECT_FALSE(form->Timer1->Enabled());
  platform.Loop.Advance(5000);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 0u);
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());
  EXPECT_EQ(Stored("Aktiviert"), std::string("1\0", 2));
}

TEST_F(MonitorSettings, MinimisingSendsTheWindowToTheTray) {
  Start();
  form->Einstellungen1Click(nullptr);
  platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Minimize, 0);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(platform.Loop.IsWindowVisible(application->Handle()));
  EXPECT_NE(platform.Tray.Icon(form->SysTrayIcon1->Identity()), nullptr);

  platform.Tray.RecreateTaskbar(application->Handle());
  EXPECT_NE(platform.Tray.Icon(form->SysTrayIcon1->Identity()), nullptr);
}

}  // namespace
}  // namespace zerka

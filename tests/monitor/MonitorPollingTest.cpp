// The polling cycle against the simulated server: the six fields, the tip, the balloon, the
// tray picture, queries without replies, failures in each step, and a cycle run from inside
// the message box of an earlier one.

#include <chrono>
#include <cstring>

#include "tests/monitor/MonitorFixture.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;
using MonitorPolling = MonitorTest;

TEST_F(MonitorPolling, ACycleWritesTheFieldsTipBalloonAndPicture) {
  sim.WithLine([](sim::LineModel& line) {
    line.SetConnections(3);
    line.SetConnected("10.1.2.3", 3661s, 120s);
  });
  SeedPolling();
  Start();
  Tick();
  EXPECT_EQ(form->Internetverbindungen->Text(), "3");
  EXPECT_EQ(form->Status->Text(), "Verbunden");
  EXPECT_EQ(form->DFUEGesperrt->Text(), "DFÜ nicht gesperrt"_l1);
  EXPECT_EQ(form->Zeitbisauflegen->Text(), "0:02:00");
  EXPECT_EQ(form->DFUEIP->Text(), "10.1.2.3");
  EXPECT_EQ(form->Onlinezeit->Text(), "1:01:01");
  EXPECT_TRUE(EndsWith(StatusLine(), " Proxy-Anfrage abgeschlossen")) << StatusLine();

  const std::string tip = "Status: Verbunden (DFÜ nicht gesperrt)\r\nZeit bis Auflegen: 0:02:00\r\n"
                          "IP: 10.1.2.3\r\nOnlinezeit: 1:01:01"_l1;
  EXPECT_EQ(form->SysTrayIcon1->Hint(), tip);
  EXPECT_EQ(std::string(TrayIcon().szTip), tip);

  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(std::string(balloons[0].szInfoTitle), "Zerka2 - Statusänderung"_l1);
  EXPECT_EQ(std::string(balloons[0].szInfo),
            "DFÜ-Status:\rVerbunden\r\rSperr-Status:\rDFÜ nicht gesperrt"_l1);
  EXPECT_EQ(balloons[0].dwInfoFlags, niif::Info);
  EXPECT_EQ(balloons[0].uTimeoutOrVersion, 10000u);

  // First cycle: the countdown stands at its maximum so far.
  EXPECT_EQ(TrayPicture(), 2);
  EXPECT_EQ(form->MaxSecondsUntilHangup, 120);
}

// A field is written only when its text changes: a focused one keeps the user's caret, and a
// screen reader hears of real changes only.
TEST_F(MonitorPolling, CyclesRewriteOnlyTheFieldsWhoseTextChanged) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 10s, 120s); });
  SeedPolling();
  Start();
  Tick();
  const auto writes = [&](const TControl* field) { return platform.Loop.Window(field->Handle())->TextWrites; };
  const int statusWrites = writes(form->Status);
  const int addressWrites = writes(form->DFUEIP);
  const int countdownWrites = writes(form->Zeitbisauflegen);
  for (int cycle = 0; cycle < 3; ++cycle) {
    clock->Advance(1s);
    Tick();
  }
  EXPECT_EQ(form->Zeitbisauflegen->Text(), "0:01:57");
  EXPECT_EQ(writes(form->Zeitbisauflegen), countdownWrites + 3);
  EXPECT_EQ(writes(form->Status), statusWrites);
  EXPECT_EQ(writes(form->DFUEIP), addressWrites);
}

TEST_F(MonitorPolling, CountdownPictureAroundTheMaximumAndNoBalloonForTimesAlone) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 10s, 120s); });
  SeedPolling();
  Start();
  Tick();
  EXPECT_EQ(TrayPicture(), 2);
  clock->Advance(1s);
  Tick();
  EXPECT_EQ(form->Zeitbisauflegen->Text(), "0:01:59");
  EXPECT_EQ(TrayPicture(), 2);
  clock->Advance(1s);
  Tick();
  EXPECT_EQ(form->Zeitbisauflegen->Text(), "0:01:58");
  EXPECT_EQ(TrayPicture(), 0);
  EXPECT_EQ(form->MaxSecondsUntilHangup, 120);
  // Traffic restarts the countdown.
  sim.WithLine([](sim::LineModel& line) { line.NoteTraffic(); });
  Tick();
  EXPECT_EQ(TrayPicture(), 2);
  EXPECT_EQ(Balloons().size(), 1u);
}

TEST_F(MonitorPolling, PicturesForTheOtherLineStates) {
  SeedPolling();
  Start();
  Tick();
  EXPECT_EQ(form->Status->Text(), "Nicht verbunden");
  EXPECT_EQ(TrayPicture(), 3);
  EXPECT_EQ(form->Zeitbisauflegen->Text(), "-0:00:00");

  sim.WithLine([](sim::LineModel& line) { line.SetDialling(); });
  Tick();
  EXPECT_EQ(form->Status->Text(), "Anwahl");
  EXPECT_EQ(TrayPicture(), 1);

  sim.WithLine([](sim::LineModel& line) { line.SetAttemptFailed(); });
  Tick();
  EXPECT_EQ(form->Status->Text(), "Verbindungsaufbau gescheitert");
  EXPECT_EQ(TrayPicture(), 6);

  sim.WithLine([](sim::LineModel& line) { line.SetLocked(true); });
  Tick();
  EXPECT_EQ(form->Status->Text(), "DFÜ gesperrt"_l1);
  EXPECT_EQ(form->DFUEGesperrt->Text(), "DFÜ gesperrt"_l1);
  EXPECT_EQ(TrayPicture(), 8);

  sim.WithLine([](sim::LineModel& line) {
    line.SetLocked(false);
    line.SetConnected("0.0.0.0", 1s, 120s);
  });
  Tick();
  EXPECT_EQ(TrayPicture(), 1);
  EXPECT_EQ(Balloons().size(), 5u);
}

TEST_F(MonitorPolling, ALockTextThatAloneDiffersRaisesABalloon) {
  SeedPolling();
  Start();
  Tick();
  Tick();
  ASSERT_EQ(Balloons().size(), 1u);
  // The result fields are editable: what they show is what the next cycle compares with.
  form->DFUEGesperrt->SetText("DFÜ gesperrt"_l1);
  Tick();
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(std::string(balloons[1].szInfo), "DFÜ-Status:\rNicht verbunden\r\rSperr-Status:\rDFÜ nicht gesperrt"_l1);
}

TEST_F(MonitorPolling, WithoutBalloonsFieldsStillUpdate) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 10s, 120s); });
  SeedPolling(false);
  Start();
  Tick();
  EXPECT_EQ(form->Status->Text(), "Verbunden");
  EXPECT_TRUE(Balloons().empty());
}

TEST_F(MonitorPolling, QueriesWithoutRepliesReadAsInternalError) {
  sim.SetDatagramFault(sim::DatagramFault::Silent);
  SeedPolling();
  Start();
  Tick();
  EXPECT_EQ(form->Status->Text(), "Interner Fehler");
  EXPECT_EQ(form->DFUEGesperrt->Text(), "Interner Fehler");
  EXPECT_EQ(TrayPicture(), 7);
  EXPECT_TRUE(form->Timer1->Enabled());
  Tick();
  EXPECT_EQ(Balloons().size(), 1u);
}

TEST_F(MonitorPolling, AStreamFailureEndsTheCycleBeforeTheQueries) {
  sim.SetStreamFault(sim::StreamFault::CloseAfterType);
  SeedPolling();
  Start();
  Tick();
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_FALSE(form->Aktiviert->Checked());
  EXPECT_EQ(StatusLine().rfind("TCP-Fehler: ", 0), 0u) << StatusLine();
  EXPECT_EQ(form->Status->Text(), "Status?");
  EXPECT_EQ(TrayPicture(), 7);
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[2], 0u);
  EXPECT_EQ(Stored("Aktiviert"), std::string("1\0", 2));
  platform.Loop.Advance(5000);
  EXPECT_EQ(sim.GetTraffic().streamConnections, 1u);
}

TEST_F(MonitorPolling, ALineStateFailureEndsTheCycleBeforeTheLockQuery) {
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  SeedPolling();
  Start();
  Tick();
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_FALSE(EndsWith(StatusLine(), " Proxy-Anfrage abgeschlossen")) << StatusLine();
  EXPECT_FALSE(EndsWith(StatusLine(), " Beginne Proxy-Abfrage")) << StatusLine();
  EXPECT_EQ(form->Status->Text(), "Status?");
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[2], 1u);
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[7], 0u);
  EXPECT_EQ(TrayPicture(), 7);
}

TEST_F(MonitorPolling, ALockStateFailureStillCompletesTheCycle) {
  // The empty reply to the line query arrives late, during the lock query.
  sim.SetDatagramFault(sim::DatagramFault::ZeroLength);
  sim.SetReplyDelay(700ms);
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 10s, 120s); });
  SeedPolling();
  Start();
  Tick();
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_FALSE(form->Aktiviert->Checked());
  EXPECT_EQ(form->DFUEGesperrt->Text(), "Interner Fehler");
  EXPECT_EQ(form->DFUEIP->Text(), "10.1.2.3");
  EXPECT_TRUE(EndsWith(StatusLine(), " Proxy-Anfrage abgeschlossen")) << StatusLine();
  EXPECT_EQ(form->SysTrayIcon1->Hint().rfind("Status: Interner Fehler (Interner Fehler)\r\n", 0), 0u);
}

TEST_F(MonitorPolling, TicksRunDuringTheServerMessageAndReadTheCache) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 10s, 120s); });
  SeedPolling();
  Start();
  Tick();
  ASSERT_EQ(form->DFUEIP->Text(), "10.1.2.3");

  sim.SetServerMessage("Wartung um 22 Uhr");
  sim.SetStreamFault(sim::StreamFault::Message);
  sim.WithLine([](sim::LineModel& line) { line.SetLocked(true); });
  bool nestedRan = false;
  platform.Modal.AnswerMessageBox(TModalResult::OK, [&] {
    EXPECT_TRUE(form->Zerka2Remote1->StreamBusy());
    Tick();
    nestedRan = true;
    EXPECT_EQ(sim.GetTraffic().streamConnections, 2u);
    EXPECT_EQ(form->Status->Text(), "DFÜ gesperrt"_l1);
    EXPECT_EQ(form->DFUEIP->Text(), "10.1.2.3");
  });
  Tick();
  ASSERT_TRUE(nestedRan);
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 1u);
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Text, "Wartung um 22 Uhr");
  EXPECT_EQ(platform.Modal.MessageBoxes[0].Caption, ProgramTitle());
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_EQ(TrayPicture(), 8);
}

TEST(TrayPictureChoice, StatesTheSimulatedLineCannotReach) {
  EXPECT_EQ(TrayPictureFor(0, 1, "", 0, 0), 8);
  EXPECT_EQ(TrayPictureFor(0, 0, "", 0, 0), 3);
  EXPECT_EQ(TrayPictureFor(0, 255, "", 0, 0), 3);
  EXPECT_EQ(TrayPictureFor(1, 0, "10.0.0.1", 119, 120), 2);
  EXPECT_EQ(TrayPictureFor(1, 0, "10.0.0.1", 118, 120), 0);
  EXPECT_EQ(TrayPictureFor(1, 0, "0.0.0.0", 500, 120), 1);
  EXPECT_EQ(TrayPictureFor(5, 0, "", 0, 0), 7);
  EXPECT_EQ(TrayPictureFor(255, 255, "", 0, 0), 7);
}

}  // namespace
}  // namespace zerka

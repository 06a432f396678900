#include <stdexcept>

#include "base/Exception.h"
#include "base/Latin1.h"
#include "framework/Form.h"
#include "framework/Timer.h"
#include "tests/framework/HeadlessTest.h"

namespace zerka::testing {
namespace {

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorBoxText("Verbindung abgelehnt"), "Verbindung abgelehnt.");
  EXPECT_EQ(ErrorBoxText("Socket-Fehler # 10061"), "Socket-Fehler # 10061.");
  EXPECT_EQ(ErrorBoxText("Fertig."), "Fertig.");
  EXPECT_EQ(ErrorBoxText("Wirklich?"), "Wirklich?.");
  EXPECT_EQ(ErrorBoxText("Achtung!"), "Achtung!");
  EXPECT_EQ(ErrorBoxText("Fehler -"), "Fehler -");
  EXPECT_EQ(ErrorBoxText("Fehler,"), "Fehler,");
  EXPECT_EQ(ErrorBoxText("Ungültiger Datentyp für 'Proxy Port'"_l1), "Ungültiger Datentyp für 'Proxy Port'"_l1);
  EXPECT_EQ(ErrorBoxText(""), "");
  // Latin-1 letters count by their byte value, not as negative chars.
  EXPECT_EQ(ErrorBoxText("DFÜ"_l1), "DFÜ."_l1);
}

class ApplicationTest : public HeadlessTest {};

TEST_F(ApplicationTest, AnExceptionFromATimerTickShowsTheErrorBoxAndTheTimerGoesOn) {
  TTimer timer(app.get());
  timer.SetInterval(100);
  int ticks = 0;
  timer.SetOnTimer([&](TComponent*) {
    ++ticks;
    throw Exception("Socket-Fehler # 10061");
  });
  platform.Loop.Advance(250);

  EXPECT_EQ(ticks, 2);
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 2u);
  const auto& box = platform.Modal.MessageBoxes[0];
  EXPECT_EQ(box.Text, "Socket-Fehler # 10061.");
  EXPECT_EQ(box.Caption, "Zerka Test");
  EXPECT_EQ(box.Buttons, TMsgButtons::OK);
  EXPECT_EQ(box.Icon, TMsgIcon::Stop);
  EXPECT_EQ(box.Owner, app->Handle());
}

TEST_F(ApplicationTest, AModalBoxKeepsTimersTickingWhileItIsOpen) {
  TTimer timer(app.get());
  timer.SetInterval(100);
  int ticks = 0;
  timer.SetOnTimer([&](TComponent*) { ++ticks; });
  platform.Modal.AnswerMessageBox(TModalResult::Cancel, [&] { platform.Loop.Advance(350); });

  EXPECT_EQ(app->MessageBox("Bestehende Verbindungen werden gekappt!", "Beenden", TMsgButtons::OKCancel),
            TModalResult::Cancel);
  EXPECT_EQ(ticks, 3);
}

TEST_F(ApplicationTest, RunShowsTheMainFormOnlyWhenAskedAndEndsOnTerminate) {
  auto* form = new TCustomForm(app.get());
  ASSERT_EQ(app->MainForm(), form);
  app->ShowMainForm = false;
  platform.Loop.PostWindowMessage(app->Handle(), msg::Null, 0, 0);
  app->Run();
  EXPECT_FALSE(form->Visible());

  TTimer timer(app.get());
  timer.SetInterval(1000);
  timer.SetOnTimer([&](TComponent*) { form->Close(); });
  platform.Loop.AutoAdvance = true;
  app->ShowMainForm = true;
  app->Run();
  EXPECT_TRUE(app->Terminated());
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(platform.Loop.Now(), 1000u);
}

TEST_F(ApplicationTest, HooksSeeTheApplicationWindowsMessagesFirst) {
  std::vector<std::uint32_t> seen;
  app->HookMainWindow(this, [&](TMessage& message) {
    seen.push_back(message.Msg);
    return false;
  });
  app->Minimize();
  EXPECT_EQ(seen, std::vector<std::uint32_t>{msg::Size});
  EXPECT_TRUE(platform.Loop.IsIconic(app->Handle()));

  app->UnhookMainWindow(this);
  app->Restore();
  EXPECT_EQ(seen.size(), 1u);
}

class TimerTest : public HeadlessTest {
 protected:
  TimerTest() {
    timer.SetEnabled(false);
    timer.SetOnTimer([this](TComponent*) { tickTimes.push_back(platform.Loop.Now()); });
  }
  TTimer timer{app.get()};
  std::vector<std::uint64_t> tickTimes;
};

TEST_F(TimerTest, ADifferentIntervalOrEnabledStateRestartsThePeriodAnEqualOneDoesNot) {
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  platform.Loop.Advance(600);
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  platform.Loop.Advance(500);
  EXPECT_EQ(tickTimes, std::vector<std::uint64_t>{1000});

  timer.SetInterval(500);  // at 1100
  platform.Loop.Advance(1000);
  EXPECT_EQ(tickTimes, (std::vector<std::uint64_t>{1000, 1600, 2100}));

  timer.SetEnabled(false);  // at 2100
  platform.Loop.Advance(200);
  timer.SetEnabled(true);  // at 2300
  platform.Loop.Advance(500);
  EXPECT_EQ(tickTimes.back(), 2800u);
}

TEST_F(TimerTest, IntervalZeroStopsTicking) {
  timer.SetEnabled(true);
  timer.SetInterval(0);
  platform.Loop.Advance(5000);
  EXPECT_TRUE(tickTimes.empty());
  EXPECT_EQ(platform.Loop.TimerCount(), 0u);
}

TEST_F(TimerTest, NoTimerLeftRaisesTheGermanError) {
  platform.Loop.TimerLimit = 0;
  try {
    timer.SetEnabled(true);
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), "Nicht genügend Timer verfügbar"_l1);
  }
  EXPECT_TRUE(timer.Enabled());
}

}  // namespace
}  // namespace zerka::testing

// The program's start: its options, the session's one instance and start at log-on, on the
// headless platform.

#include <algorithm>

#include "base/ProjectVersion.h"
#include "monitor/CommandLine.h"
#include "monitor/ProgramStart.h"
#include "platform/headless/HeadlessStart.h"
#include "tests/monitor/MonitorFixture.h"

namespace zerka {
namespace {

TEST(CommandLine, KnowsItsOptionsAndRefusesEverythingElse) {
  EXPECT_EQ(ParseCommandLine({}, true).Action, TStartAction::Run);
  EXPECT_EQ(ParseCommandLine({"--autostart=on"}, true).Action, TStartAction::AutostartOn);
  EXPECT_EQ(ParseCommandLine({"--autostart=off"}, false).Action, TStartAction::AutostartOff);
  EXPECT_EQ(ParseCommandLine({"--quit"}, true).Action, TStartAction::Quit);
  EXPECT_EQ(ParseCommandLine({"--terminate"}, true).Action, TStartAction::Terminate);
  EXPECT_EQ(ParseCommandLine({"--help"}, false).Action, TStartAction::Help);
  EXPECT_EQ(ParseCommandLine({"--version"}, false).Action, TStartAction::Version);
  for (const auto& refused : {"--quit", "--terminate", "--autostart", "--autostart=ON", "-autostart=on", ""}) {
    const TCommandLine line = ParseCommandLine({refused}, false);
    EXPECT_EQ(line.Action, TStartAction::Refused) << refused;
    EXPECT_EQ(line.Refused, refused);
  }
  const TCommandLine two = ParseCommandLine({"--autostart=on", "--autostart=off"}, true);
  EXPECT_EQ(two.Action, TStartAction::Refused);
  EXPECT_EQ(two.Refused, "--autostart=off");
}

class ProgramStart : public MonitorTest {
 protected:
  int Run(const std::vector<std::string>& args, bool withInstance = true) {
    return RunProgram(args, {autostart, withInstance ? &instance : nullptr,
                             [this] {
                               ++platformInstalls;
                               return std::shared_ptr<void>();
                             },
                             true, [this](const std::string& text) { printed += text; }});
  }
  headless::THeadlessAutostart autostart;
  headless::THeadlessInstance instance;
  int platformInstalls = 0;
  std::string printed;
};

TEST_F(ProgramStart, HelpAndVersionArePrintedWithStatus0AndNoBox) {
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_EQ(printed, HelpText(true));
  for (const char* option : {"--autostart=on", "--autostart=off", "--quit", "--terminate", "--help", "--version"}) {
    EXPECT_NE(printed.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  }
  EXPECT_EQ(HelpText(false).find("--quit"), std::string::npos) << "only where one program runs per session";
  printed.clear();
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(printed, "zerka2remote " ZERKA_VERSION "\n");
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());
  EXPECT_EQ(platformInstalls, 0);
  EXPECT_TRUE(instance.Requests.empty());
}

TEST_F(ProgramStart, AnUnknownOptionIsRefusedWithAGermanBoxAndStatus3) {
  EXPECT_EQ(Run({"--hilfe"}), 3);
  ASSERT_EQ(platform.Modal.MessageBoxes.size(), 1u);
  const auto& box = platform.Modal.MessageBoxes[0];
  EXPECT_EQ(box.Text, "Unbekannte Option: --hilfe\r\n\r\nMögliche Optionen:\r\n"_l1
                      "--autostart=on\tbeim Anmelden starten\r\n"
                      "--autostart=off\tnicht mehr beim Anmelden starten\r\n"
                      "--quit\tdas laufende Programm beenden\r\n"
                      "--terminate\tdas laufende Programm sofort beenden");
  EXPECT_EQ(box.Caption, ProgramTitle());
  EXPECT_EQ(box.Icon, TMsgIcon::Stop);
  EXPECT_TRUE(platform.Tray.Calls.empty());
  EXPECT_TRUE(instance.Requests.empty());
}

TEST_F(ProgramStart, AutostartSwitchesEndAtOnceTouchingNothingElse) {
  EXPECT_EQ(Run({"--autostart=on"}), 0);
  EXPECT_TRUE(autostart.Enabled);
  EXPECT_EQ(Run({"--autostart=off"}), 0);
  EXPECT_FALSE(autostart.Enabled);
  EXPECT_EQ(platformInstalls, 0);
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());
  EXPECT_TRUE(platform.Tray.Calls.empty());
  EXPECT_TRUE(instance.Requests.empty());
  EXPECT_FALSE(platform.Store.KeyExists("Software\\Velmarin"));
}

// The installer calls these with /S: a box would wait for a click nobody makes.
TEST_F(ProgramStart, OptionsTheInstallerCallsTellFailuresByStatusAloneNeverByABox) {
  autostart.Fails = true;
  EXPECT_EQ(Run({"--autostart=on"}), 1);
  EXPECT_EQ(Run({"--autostart=off"}), 1);
  instance.Answers = false;
  EXPECT_EQ(Run({"--quit"}), 1) << "still runs after the wait";
  EXPECT_EQ(Run({"--terminate"}), 1);
  EXPECT_EQ(instance.Requests, (std::vector<TInstanceRequest>{TInstanceRequest::Quit, TInstanceRequest::Terminate}));
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());
  EXPECT_EQ(platformInstalls, 0);
}

TEST_F(ProgramStart, ASecondStartShowsTheRunningProgramAndAddsNoIcon) {
  instance.HeldElsewhere = true;
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(instance.Requests, std::vector<TInstanceRequest>{TInstanceRequest::Show});
  EXPECT_TRUE(platform.Tray.Calls.empty());
  EXPECT_EQ(Run({"--quit"}), 0);
  EXPECT_EQ(instance.Requests.back(), TInstanceRequest::Quit);
  EXPECT_EQ(Run({"--terminate"}), 0);
  EXPECT_EQ(instance.Requests.back(), TInstanceRequest::Terminate);
  EXPECT_EQ(Run({"--quit"}, false), 3) << "no --quit where every start runs on its own";
  EXPECT_EQ(Run({"--terminate"}, false), 3);
}

TEST_F(ProgramStart, ASecondStartThatMeetsAnEndingProgramRunsInItsPlace) {
  instance.HeldElsewhere = true;
  instance.FreedByShow = true;
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(instance.Claims, 2);
  const auto& calls = platform.Tray.Calls;
  EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const auto& c) { return c.Operation == TNotifyIconMessage::Add; }));
}

TEST_F(ProgramStart, ARequestThatArrivesBeforeTheWindowExistsIsAnsweredOnceItDoes) {
  instance.ArrivingOnClaim = {TInstanceRequest::Show};
  EXPECT_EQ(Run({}), 0);
  EXPECT_FALSE(platform.Loop.ForegroundCalls.empty()) << "the window was shown";
}

TEST_F(ProgramStart, TheFirstStartClaimsTheSessionAndRunsTheTrayProgram) {
  EXPECT_EQ(Run({}), 0);
  EXPECT_TRUE(instance.Released) << "a later start may take the session once this one ends";
  EXPECT_FALSE(instance.Handler);
  const auto& calls = platform.Tray.Calls;
  EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const auto& c) { return c.Operation == TNotifyIconMessage::Add; }));
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().Operation, TNotifyIconMessage::Remove) << "the icon goes when the program ends";
}

TEST_F(ProgramStart, TheRunningProgramShowsItsWindowOrEndsWithoutAsking) {
  SeedPolling();
  Start();
  AnswerInstanceRequest(*form, TInstanceRequest::Show);
  EXPECT_TRUE(form->Visible());
  AnswerInstanceRequest(*form, TInstanceRequest::Quit);
  EXPECT_FALSE(form->Timer1->Enabled());
  EXPECT_TRUE(application->Terminated());
  EXPECT_TRUE(platform.Modal.MessageBoxes.empty());
}

}  // namespace
}  // namespace zerka

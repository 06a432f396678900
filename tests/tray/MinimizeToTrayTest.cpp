#include "framework/Form.h"
#include "framework/Menus.h"
#include "tests/framework/HeadlessTest.h"
#include "tray/SysTrayIcon.h"

namespace zerka::testing {
namespace {

// Counts the empty messages that reach the form.
class TNullCountingForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
  int Nulls = 0;

 protected:
  bool WndProc(TMessage& message) override {
    if (message.Msg == msg::Null) ++Nulls;
    return TCustomForm::WndProc(message);
  }
};

class MinimizeToTrayTest : public HeadlessTest {
 protected:
  MinimizeToTrayTest() {
    icon->MinimizeToTray = true;
    icon->SetIconVisible(true);
    form->Show();
  }
  bool FormShown() { return platform.Loop.IsWindowVisible(form->Handle()); }
  bool TaskbarButton() { return platform.Loop.IsWindowVisible(app->Handle()); }

  TNullCountingForm* form = new TNullCountingForm(app.get());
  TSysTrayIcon* icon = new TSysTrayIcon(form);
};

TEST_F(MinimizeToTrayTest, MinimisingTheFormHidesItAndTheTaskbarButtonAndKeepsTheIcon) {
  platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Minimize, 0);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(FormShown());
  EXPECT_FALSE(TaskbarButton());
  EXPECT_EQ(platform.Tray.IconCount(), 1u);
}

TEST_F(MinimizeToTrayTest, TheTaskbarButtonShowsWithTheFormAndComesBackFromTheTray) {
  EXPECT_TRUE(TaskbarButton());
  platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Minimize, 0);
  ASSERT_FALSE(TaskbarButton());
  form->Show();
  EXPECT_TRUE(FormShown());
  EXPECT_TRUE(TaskbarButton());
  EXPECT_FALSE(platform.Loop.IsIconic(app->Handle()));
  form->Hide();
  EXPECT_FALSE(TaskbarButton());
}

TEST_F(MinimizeToTrayTest, WithoutMinimizeToTrayTheFormMinimisesNormally) {
  icon->MinimizeToTray = false;
  platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Minimize, 0);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(TaskbarButton());
  EXPECT_TRUE(platform.Loop.IsIconic(app->Handle()));
}

TEST_F(MinimizeToTrayTest, WithOnMinimizeToTrayTheOwnerPathConsumesTheMinimise) {
  int raised = 0;
  icon->OnMinimizeToTray = [&](TComponent*) { ++raised; };
  const auto result = platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Minimize, 0);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(raised, 1);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(platform.Loop.IsIconic(app->Handle()));
}

TEST_F(MinimizeToTrayTest, ARestoreCommandShowsTheMainFormAgain) {
  app->Minimize();
  ASSERT_FALSE(form->Visible());
  platform.Loop.SendWindowMessage(app->Handle(), msg::SysCommand, sys_command::Restore, 0);
  EXPECT_TRUE(form->Visible());
}

TEST_F(MinimizeToTrayTest, ShowingTheFormBringsTheApplicationThenTheFormToTheFront) {
  form->Hide();
  platform.Loop.ForegroundCalls.clear();
  form->Show();
  ASSERT_GE(platform.Loop.ForegroundCalls.size(), 2u);
  EXPECT_EQ(platform.Loop.ForegroundCalls[0], app->Handle());
  EXPECT_EQ(platform.Loop.ForegroundCalls[1], form->Handle());
}

TEST_F(MinimizeToTrayTest, ARecreatedTaskbarGetsTheIconBackOnlyWhenItIsVisible) {
  icon->SetHint("Status: Verbunden");
  platform.Tray.RecreateTaskbar(app->Handle());
  ASSERT_EQ(platform.Tray.IconCount(), 1u);
  EXPECT_STREQ(platform.Tray.Icon(icon->Identity())->szTip, "Status: Verbunden");

  icon->SetIconVisible(false);
  platform.Tray.RecreateTaskbar(app->Handle());
  EXPECT_EQ(platform.Tray.IconCount(), 0u);
}

TEST_F(MinimizeToTrayTest, AClosedMenuPostsAnEmptyMessageToTheOwnerAndAManualMenuOpensNot) {
  auto* menu = new TPopupMenu(app.get());
  (new TMenuItem(app.get(), menu))->Caption = "Ende";
  icon->SetPopupMenu(menu);
  int pressed = 0;
  icon->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++pressed; };
  int nullsWhileOpen = -1;
  platform.Modal.AnswerMenu(-1, [&] { nullsWhileOpen = form->Nulls; });
  ASSERT_TRUE(platform.Tray.Callback(icon->Identity(), msg::RButtonDown));
  platform.Loop.RunUntilIdle();
  EXPECT_EQ(nullsWhileOpen, 0);
  EXPECT_EQ(form->Nulls, 1);

  menu->AutoPopup = false;
  ASSERT_TRUE(platform.Tray.Callback(icon->Identity(), msg::RButtonDown));
  platform.Loop.RunUntilIdle();
  EXPECT_EQ(pressed, 2);
  EXPECT_EQ(platform.Modal.Menus.size(), 1u);
  EXPECT_EQ(form->Nulls, 1);
}

TEST_F(MinimizeToTrayTest, AGoneIconLeavesMinimisingAndANewTaskbarAlone) {
  delete icon;
  platform.Loop.SendWindowMessage(form->Handle(), msg::SysCommand, sys_command::Minimize, 0);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(platform.Loop.IsIconic(app->Handle()));
  platform.Tray.RecreateTaskbar(app->Handle());
  EXPECT_EQ(platform.Tray.IconCount(), 0u);
}

TEST_F(MinimizeToTrayTest, AStartupHandlerThatClearsShowMainFormKeepsTheWindowHidden) {
  bool asked = false;
  icon->OnStartup = [&](TComponent*, bool& show) {
    asked = true;
    show = false;
  };
  icon->BeginLoading();
  icon->Loaded();
  EXPECT_TRUE(asked);
  EXPECT_FALSE(app->ShowMainForm);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(TaskbarButton());
}

}  // namespace
}  // namespace zerka::testing

#include "tray/SysTrayIcon.h"

#include <cstring>
#include <memory>
#include <string>

#include "tests/framework/HeadlessTest.h"
#include "tray/TrayIconHandler.h"

namespace zerka::testing {
namespace {

class SysTrayIconTest : public HeadlessTest {
 protected:
  SysTrayIconTest() {
    for (std::uint32_t color : {0x00FF00u, 0x0000FFu, 0xFF0000u}) images->Add(SolidImage(color));
    platform.Desktop.Cursor = {640, 1010};
    icon->SetIconVisible(true);
    platform.Tray.Calls.clear();
  }

  // Plays a shell callback on the icon.
  void Play(std::uint32_t code) { ASSERT_TRUE(platform.Tray.Callback(icon->Identity(), code)); }
  void PlayClick() {
    Play(msg::LButtonDown);
    Play(msg::LButtonUp);
  }
  void PlayDoubleClick() {
    PlayClick();
    Play(msg::LButtonDblClk);
    Play(msg::LButtonUp);
  }
  void Record() {
    icon->OnClick = [this](TComponent*) { events.push_back("click"); };
    icon->OnMouseDown = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
    icon->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
  }
  TMenuItem* AddItem(const std::string& caption, bool isDefault = false) {
    auto* item = new TMenuItem(app.get(), menu);
    item->Caption = caption;
    item->Default = isDefault;
    item->OnClick = [this, caption](TComponent*) { events.push_back("item " + caption); };
    return item;
  }
  const headless::TNotifyCall& LastCall() const { return platform.Tray.Calls.back(); }

  TImageList* images = new TImageList(app.get());
  TPopupMenu* menu = new TPopupMenu(app.get());
  TSysTrayIcon* icon = new TSysTrayIcon(app.get());
  std::vector<std::string> events;
};

TEST_F(SysTrayIconTest, TheRecordCarriesTheFixedFieldsAndTheIdentity) {
  const TNotifyIconData& data = icon->NotifyData();
  EXPECT_EQ(data.cbSize, 488u);
  EXPECT_EQ(data.hWnd, TrayHandler()->Handle());
  EXPECT_EQ(data.uID, icon->Identity());
  EXPECT_EQ(data.uFlags, 7u);
  EXPECT_EQ(data.uCallbackMessage, 0x0800u);
  EXPECT_EQ(platform.Tray.IconCount(), 1u);
}

TEST_F(SysTrayIconTest, TheTipIsCutTo127CharactersAndEmptyWhenNotShown) {
  icon->SetHint(std::string(200, 'x'));
  EXPECT_EQ(std::strlen(LastCall().Data.szTip), 127u);
  EXPECT_EQ(LastCall().Operation, TNotifyIconMessage::Modify);

  icon->SetShowHint(false);
  const char zeros[128] = {};
  EXPECT_EQ(std::memcmp(LastCall().Data.szTip, zeros, sizeof zeros), 0);
  icon->SetShowHint(true);
  icon->SetHint("");
  EXPECT_EQ(std::memcmp(LastCall().Data.szTip, zeros, sizeof zeros), 0);
}

TEST_F(SysTrayIconTest, ABalloonIsCutSentWithItsFlagsAndLeavesTheStandardFlags) {
  EXPECT_TRUE(icon->ShowBalloon(std::string(80, 't'), std::string(300, 'b'), bikInfo, 10));
  ASSERT_EQ(platform.Tray.Calls.size(), 2u);
  const TNotifyIconData& withdraw = platform.Tray.Calls[0].Data;
  EXPECT_EQ(withdraw.uFlags, 7u | nif::Info);
  EXPECT_EQ(withdraw.szInfo[0], 0);
  const TNotifyIconData& shown = platform.Tray.Calls[1].Data;
  EXPECT_EQ(shown.uFlags, 7u | nif::Info);
  EXPECT_EQ(std::strlen(shown.szInfo), 255u);
  EXPECT_EQ(std::strlen(shown.szInfoTitle), 63u);
  EXPECT_EQ(shown.dwInfoFlags, niif::Info);
  EXPECT_EQ(shown.uTimeoutOrVersion, 10000u);
  EXPECT_EQ(icon->NotifyData().uFlags, 7u);

  icon->SetHint("Status: Verbunden");
  EXPECT_EQ(LastCall().Data.uFlags, 7u);
}

TEST_F(SysTrayIconTest, ASecondBalloonFirstWithdrawsTheFirst) {
  icon->ShowBalloon("Zerka", "Verbunden", bikInfo, 10);
  icon->ShowBalloon("Zerka", "Nicht verbunden", bikWarning, 5);
  ASSERT_EQ(platform.Tray.Calls.size(), 4u);
  EXPECT_EQ(platform.Tray.Calls[2].Data.szInfo[0], 0);
  EXPECT_TRUE(platform.Tray.Calls[2].Data.uFlags & nif::Info);
  EXPECT_STREQ(platform.Tray.Calls[3].Data.szInfo, "Nicht verbunden");
  EXPECT_EQ(platform.Tray.Calls[3].Data.dwInfoFlags, niif::Warning);
  EXPECT_STREQ(platform.Tray.Icon(icon->Identity())->szInfo, "Nicht verbunden");
}

TEST_F(SysTrayIconTest, CopyingAnImageIntoTheIconUpdatesTheShellAtOnce) {
  icon->SetIconList(images);
  platform.Tray.Calls.clear();
  images->GetIcon(2, icon->Icon());
  ASSERT_EQ(platform.Tray.Calls.size(), 1u);
  EXPECT_EQ(LastCall().Operation, TNotifyIconMessage::Modify);
  EXPECT_EQ(LastCall().Data.hIcon, images->Image(2));
  EXPECT_EQ(platform.Tray.Icon(icon->Identity())->hIcon, images->Image(2));
}

TEST_F(SysTrayIconTest, AssigningAPictureUpdatesTheShellOnce) {
  TIcon picture;
  picture.SetImage(SolidImage(0x123456));
  icon->SetIcon(picture);
  ASSERT_EQ(platform.Tray.Calls.size(), 1u);
  EXPECT_EQ(LastCall().Data.hIcon, picture.Image());
}

TEST_F(SysTrayIconTest, IconIndexIsHeldWithinTheList) {
  icon->SetIconList(images);
  icon->SetIconIndex(9);
  EXPECT_EQ(icon->IconIndex(), 2);
  EXPECT_EQ(icon->Icon().Image(), images->Image(2));
  images->Clear();
  icon->SetIconIndex(0);
  EXPECT_EQ(icon->IconIndex(), -1);
  EXPECT_TRUE(icon->Icon().Empty());
  EXPECT_FALSE(LastCall().Data.hIcon);
}

TEST_F(SysTrayIconTest, AClickWithoutADoubleClickHandlerIsRaisedAtTheRelease) {
  Record();
  PlayClick();
  EXPECT_EQ(events, (std::vector<std::string>{"down", "click", "up"}));
}

TEST_F(SysTrayIconTest, WithADoubleClickHandlerAClickWaitsForTheDoubleClickTime) {
  Record();
  icon->OnDblClick = [this](TComponent*) { events.push_back("double"); };
  PlayClick();
  EXPECT_EQ(events, (std::vector<std::string>{"down", "up"}));
  platform.Loop.Advance(499);
  EXPECT_EQ(events.size(), 2u);
  platform.Loop.Advance(1);
  EXPECT_EQ(events, (std::vector<std::string>{"down", "up", "click"}));

  events.clear();
  PlayDoubleClick();
  platform.Loop.Advance(2000);
  EXPECT_EQ(events, (std::vector<std::string>{"down", "up", "double", "up"}));
}

TEST_F(SysTrayIconTest, APressHeldBeyondTheDoubleClickTimeClicksAtTheRelease) {
  Record();
  icon->OnDblClick = [](TComponent*) {};
  platform.Desktop.DoubleClickTime = 300;
  Play(msg::LButtonDown);
  platform.Loop.Advance(1000);
  Play(msg::LButtonUp);
  EXPECT_EQ(events, (std::vector<std::string>{"down", "click", "up"}));
}

TEST_F(SysTrayIconTest, MouseArgumentsComeFromTheCursorAndTheKeysAtProcessing) {
  TShiftState shift = 0;
  TPoint at;
  icon->OnMouseDown = [&](TComponent* sender, TMouseButton button, TShiftState s, int x, int y) {
    EXPECT_EQ(sender, icon);
    EXPECT_EQ(button, TMouseButton::mbMiddle);
    shift = s;
    at = {x, y};
  };
  platform.Desktop.KeysDown = {TVirtualKey::Shift, TVirtualKey::Control};
  Play(msg::MButtonDown);
  EXPECT_EQ(shift, ssShift | ssCtrl | ssMiddle);
  EXPECT_EQ(at, (TPoint{640, 1010}));
}

TEST_F(SysTrayIconTest, ARightPressOpensTheMenuAtTheCursorAfterMouseDown) {
  icon->SetPopupMenu(menu);
  AddItem("Ende");
  icon->OnMouseDown = [this](TComponent*, TMouseButton, TShiftState, int, int) {
    events.push_back("down, menus shown: " + std::to_string(platform.Modal.Menus.size()));
  };
  platform.Modal.AnswerMenu(0);
  Play(msg::RButtonDown);

  EXPECT_EQ(events, (std::vector<std::string>{"down, menus shown: 0", "item Ende"}));
  ASSERT_EQ(platform.Modal.Menus.size(), 1u);
  EXPECT_EQ(platform.Modal.Menus[0].Position, (TPoint{640, 1010}));
  EXPECT_EQ(platform.Loop.ForegroundCalls.front(), app->Handle());
  EXPECT_EQ(menu->PopupComponent, icon);
}

TEST_F(SysTrayIconTest, WhenDisabledMouseCallbacksAreIgnoredButBalloonEventsStillCome) {
  icon->SetPopupMenu(menu);
  Record();
  icon->OnBalloonHintClick = [this](TComponent*) { events.push_back("balloon click"); };
  icon->OnBalloonHintTimeout = [this](TComponent*) { events.push_back("balloon timeout"); };
  icon->Enabled = false;
  Play(msg::RButtonDown);
  PlayClick();
  Play(msg::BalloonUserClick);
  Play(msg::BalloonTimeout);
  EXPECT_TRUE(platform.Modal.Menus.empty());
  EXPECT_EQ(events, (std::vector<std::string>{"balloon click", "balloon timeout"}));
}

TEST_F(SysTrayIconTest, ADoubleClickRunsTheFirstDefaultItemUnlessTheMenuIsOnTheLeftOrManual) {
  icon->SetPopupMenu(menu);
  AddItem("Einstellungen");
  AddItem("Oben", true);
  AddItem("Unten", true);
  Play(msg::LButtonDblClk);
  EXPECT_EQ(events, std::vector<std::string>{"item Oben"});

  events.clear();
  icon->LeftPopup = true;
  Play(msg::LButtonDblClk);
  icon->LeftPopup = false;
  menu->AutoPopup = false;
  Play(msg::LButtonDblClk);
  EXPECT_TRUE(events.empty());
}

TEST_F(SysTrayIconTest, CyclingShowsEachPictureAndAnnouncesTheNextIndex) {
  icon->SetIconList(images);
  icon->SetCycleInterval(100);
  std::vector<int> announced;
  std::vector<TIconImagePtr> pictureAtAnnouncement;
  icon->OnCycle = [&](TComponent*, int next) {
    announced.push_back(next);
    pictureAtAnnouncement.push_back(icon->Icon().Image());
  };
  icon->SetIconIndex(2);
  icon->SetCycleIcons(true);
  EXPECT_EQ(icon->IconIndex(), 0);
  platform.Loop.Advance(300);
  EXPECT_EQ(announced, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(pictureAtAnnouncement[2], images->Image(2));
  EXPECT_EQ(icon->IconIndex(), 0);
  EXPECT_EQ(platform.Tray.Icon(icon->Identity())->hIcon, images->Image(0));

  icon->SetCycleIcons(false);
  platform.Loop.Advance(300);
  EXPECT_EQ(announced.size(), 3u);
}

TEST_F(SysTrayIconTest, CyclingWithIntervalZeroOnlyResetsTheIndex) {
  icon->SetIconList(images);
  icon->SetIconIndex(1);
  int cycles = 0;
  icon->OnCycle = [&](TComponent*, int) { ++cycles; };
  icon->SetCycleIcons(true);
  platform.Loop.Advance(5000);
  EXPECT_EQ(icon->IconIndex(), 0);
  EXPECT_EQ(cycles, 0);
}

TEST_F(SysTrayIconTest, EnterAndExitFollowThePointer) {
  Record();
  icon->OnMouseEnter = [this](TComponent*) { events.push_back("enter"); };
  icon->OnMouseExit = [this](TComponent*) { events.push_back("exit"); };
  icon->SetWantEnterExitEvents(true);
  Play(msg::MouseMove);
  Play(msg::MouseMove);
  platform.Loop.Advance(100);
  EXPECT_EQ(events, std::vector<std::string>{"enter"});
  platform.Desktop.Cursor = {0, 0};
  platform.Loop.Advance(20);
  Play(msg::MouseMove);
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "exit", "enter"}));
}

TEST_F(SysTrayIconTest, RemovingTheLinkedListOrMenuDropsTheLinks) {
  icon->SetIconList(images);
  icon->SetIconIndex(2);
  icon->SetPopupMenu(menu);
  delete images;
  EXPECT_EQ(icon->IconList(), nullptr);
  EXPECT_EQ(icon->IconIndex(), 0);
  EXPECT_TRUE(icon->Icon().Image());
  delete menu;
  EXPECT_EQ(icon->PopupMenu(), nullptr);
  Play(msg::RButtonDown);
  Play(msg::LButtonDblClk);
}

TEST_F(SysTrayIconTest, EndOfLoadingUpdatesReappliesAndSetsTheClassicCallbackStyle) {
  icon->BeginLoading();
  icon->Loaded();
  ASSERT_GE(platform.Tray.Calls.size(), 3u);
  EXPECT_EQ(platform.Tray.Calls[0].Operation, TNotifyIconMessage::Modify);
  EXPECT_EQ(platform.Tray.Calls[1].Operation, TNotifyIconMessage::Add);
  EXPECT_FALSE(platform.Tray.Calls[1].Accepted);
  EXPECT_EQ(LastCall().Operation, TNotifyIconMessage::SetVersion);
  EXPECT_EQ(LastCall().Data.uTimeoutOrVersion, 0u);
}

TEST_F(SysTrayIconTest, TwoIconsShareOneWindowAndEachGetsOnlyItsOwnCallbacks) {
  auto* second = new TSysTrayIcon(app.get());
  second->SetIconVisible(true);
  EXPECT_EQ(second->NotifyData().hWnd, icon->NotifyData().hWnd);
  EXPECT_NE(second->Identity(), icon->Identity());
  int firstClicks = 0, secondClicks = 0;
  icon->OnClick = [&](TComponent*) { ++firstClicks; };
  second->OnClick = [&](TComponent*) { ++secondClicks; };
  PlayClick();
  EXPECT_EQ(firstClicks, 1);
  EXPECT_EQ(secondClicks, 0);

  const std::uint32_t firstIdentity = icon->Identity();
  const TWindowHandle window = TrayHandler()->Handle();
  delete icon;
  EXPECT_EQ(platform.Tray.IconCount(), 1u);
  EXPECT_EQ(LastCall().Operation, TNotifyIconMessage::Remove);
  // A late callback for the destroyed icon goes nowhere.
  platform.Loop.SendWindowMessage(window, TrayCallbackMessage, firstIdentity, msg::LButtonUp);
  ASSERT_TRUE(platform.Tray.Callback(second->Identity(), msg::LButtonDown));
  ASSERT_TRUE(platform.Tray.Callback(second->Identity(), msg::LButtonUp));
  EXPECT_EQ(secondClicks, 1);

  delete second;
  EXPECT_EQ(TrayHandler(), nullptr);
  EXPECT_EQ(platform.Loop.Window(window), nullptr);
  icon = nullptr;
}

// The shell keeps the user's choice for an icon by its identity: the same at every start.
TEST_F(SysTrayIconTest, IdentitiesAreNumbersFromOneAndAFreedOneIsTheNextIconsAgain) {
  EXPECT_EQ(icon->Identity(), 1u);
  auto* second = new TSysTrayIcon(app.get());
  auto* third = new TSysTrayIcon(app.get());
  EXPECT_EQ(second->Identity(), 2u);
  EXPECT_EQ(third->Identity(), 3u);
  delete second;
  auto* fourth = new TSysTrayIcon(app.get());
  EXPECT_EQ(fourth->Identity(), 2u);
  delete fourth;
  delete third;
}

TEST_F(SysTrayIconTest, AClickHandlerMayDestroyTheIcon) {
  icon->OnClick = [this](TComponent*) {
    delete icon;
    icon = nullptr;
  };
  const std::uint32_t identity = icon->Identity();
  ASSERT_TRUE(platform.Tray.Callback(identity, msg::LButtonDown));
  ASSERT_TRUE(platform.Tray.Callback(identity, msg::LButtonUp));
  EXPECT_EQ(icon, nullptr);
  EXPECT_EQ(platform.Tray.IconCount(), 0u);
}

TEST_F(SysTrayIconTest, TheHandlerWindowRefusesToCloseOrHoldUpAShutdown) {
  const TWindowHandle window = TrayHandler()->Handle();
  EXPECT_EQ(platform.Loop.SendWindowMessage(window, msg::Close, 0, 0), 1);
  EXPECT_EQ(platform.Loop.SendWindowMessage(window, msg::QueryEndSession, 0, 0), 1);
  EXPECT_NE(platform.Loop.Window(window), nullptr);
}

}  // namespace
}  // namespace zerka::testing

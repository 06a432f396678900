// The tray icon's menu as a tray host that draws it reads it, through the notification area's
// menu model: always the popup menu as it stands, and a choice runs the item's click without
// any mouse event the user did not make.
#include "tray/SysTrayIcon.h"

#include <string>

#include "tests/framework/HeadlessTest.h"

namespace zerka::testing {
namespace {

class TrayMenuModelTest : public HeadlessTest {
 protected:
  TrayMenuModelTest() {
    images->Add(SolidImage(0x00FF00));
    menu->SetImages(images);
    icon->SetPopupMenu(menu);
    icon->SetIconVisible(true);
    icon->OnMouseDown = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
    icon->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
  }
  TMenuItem* AddItem(const std::string& caption) {
    auto* item = new TMenuItem(app.get(), menu);
    item->Caption = caption;
    item->OnClick = [this, caption](TComponent*) { events.push_back("item " + caption); };
    return item;
  }
  IMenuModel& Model() { return *platform.Tray.MenuModel(icon->Identity()); }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (const TMenuModelEntry& entry : Model().MenuEntries()) captions.push_back(entry.Entry.Caption);
    return captions;
  }

  TImageList* images = new TImageList(app.get());
  TPopupMenu* menu = new TPopupMenu(app.get());
  TSysTrayIcon* icon = new TSysTrayIcon(app.get());
  std::vector<std::string> events;
};

TEST_F(TrayMenuModelTest, TheEntriesAreTheMenuAsItStandsWithTheItemsOwnIds) {
  TMenuItem* settings = AddItem("Einstellungen");
  AddItem("-");
  TMenuItem* end = AddItem("Ende");
  end->ImageIndex = 0;
  end->Default = true;
  settings->Enabled = false;
  const std::vector<TMenuModelEntry> entries = Model().MenuEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Id, settings->Command());
  EXPECT_FALSE(entries[0].Entry.Enabled);
  EXPECT_EQ(entries[2].Id, end->Command());
  EXPECT_EQ(entries[2].Entry.Picture, images->Image(0));
  EXPECT_TRUE(entries[2].Entry.Default);

  delete settings;
  AddItem("Neu");
  const std::vector<TMenuModelEntry> later = Model().MenuEntries();
  ASSERT_EQ(later.size(), 3u);
  EXPECT_EQ(later[1].Id, end->Command()) << "an item keeps its id when others come or go";
  EXPECT_NE(later[2].Id, entries[0].Id);
}

TEST_F(TrayMenuModelTest, NoEntriesWhileARightPressWouldOpenNoMenu) {
  AddItem("Ende");
  icon->Enabled = false;
  EXPECT_TRUE(Captions().empty());
  icon->Enabled = true;
  menu->AutoPopup = false;
  EXPECT_TRUE(Captions().empty());
  menu->AutoPopup = true;
  icon->SetPopupMenu(nullptr);
  EXPECT_TRUE(Captions().empty());
  auto* other = new TPopupMenu(app.get());
  new TMenuItem(app.get(), other);
  icon->SetPopupMenu(other);
  EXPECT_EQ(Captions().size(), 1u);
}

TEST_F(TrayMenuModelTest, AChoiceRunsTheItemsClickWithoutAnyMouseEvent) {
  AddItem("Einstellungen");
  TMenuItem* end = AddItem("Ende");
  EXPECT_TRUE(Model().ChooseMenuEntry(end->Command()));
  EXPECT_EQ(events, std::vector<std::string>{"item Ende"});
  EXPECT_EQ(menu->PopupComponent, icon);
  EXPECT_TRUE(platform.Modal.Menus.empty()) << "no popup of our own";
}

TEST_F(TrayMenuModelTest, AChoiceOfAGoneDisabledOrLineEntryRunsNothing) {
  TMenuItem* gone = AddItem("Weg");
  const std::int32_t goneId = gone->Command();
  delete gone;
  TMenuItem* disabled = AddItem("Aus");
  disabled->Enabled = false;
  TMenuItem* line = AddItem("-");
  EXPECT_FALSE(Model().ChooseMenuEntry(goneId));
  EXPECT_FALSE(Model().ChooseMenuEntry(0));
  Model().ChooseMenuEntry(disabled->Command());
  Model().ChooseMenuEntry(line->Command());
  icon->Enabled = false;
  EXPECT_FALSE(Model().ChooseMenuEntry(AddItem("Ende")->Command()));
  EXPECT_TRUE(events.empty());
}

TEST_F(TrayMenuModelTest, TheModelGoesWithTheIcon) {
  const std::uint32_t identity = icon->Identity();
  delete icon;
  EXPECT_EQ(platform.Tray.MenuModel(identity), nullptr);
}

}  // namespace
}  // namespace zerka::testing

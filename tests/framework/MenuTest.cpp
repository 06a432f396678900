#include "framework/Clipboard.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/Shell.h"
#include "tests/framework/HeadlessTest.h"

namespace zerka::testing {
namespace {

class MenuTest : public HeadlessTest {
 protected:
  MenuTest() {
    images->Add(SolidImage(0xFF0000));
    images->Add(SolidImage(0x00FF00));
    menu->SetImages(images);
    // Moved in whole: GCC 12 warns wrongly about copying literals into these strings.
    settings->Caption = std::string("Zerka2 Remote - Einstellungen...");
    settings->ImageIndex = 1;
    line->Caption = std::string("-");
    end->Caption = std::string("Ende");
    end->ImageIndex = 0;
    for (TMenuItem* item : {settings, line, end}) {
      item->OnClick = [this](TComponent* sender) { clicked.push_back(static_cast<TMenuItem*>(sender)); };
    }
  }
  TImageList* images = new TImageList(app.get());
  TPopupMenu* menu = new TPopupMenu(app.get());
  TMenuItem* settings = new TMenuItem(app.get(), menu);
  TMenuItem* line = new TMenuItem(app.get(), menu);
  TMenuItem* end = new TMenuItem(app.get(), menu);
  std::vector<TMenuItem*> clicked;
};

TEST_F(MenuTest, ShowsItsItemsWithPicturesAndRunsTheChosenOne) {
  platform.Modal.AnswerMenu(2);
  menu->Popup({100, 200});

  ASSERT_EQ(platform.Modal.Menus.size(), 1u);
  const auto& shown = platform.Modal.Menus[0];
  EXPECT_EQ(shown.Position, (TPoint{100, 200}));
  ASSERT_EQ(shown.Entries.size(), 3u);
  EXPECT_EQ(shown.Entries[0].Picture, images->Image(1));
  EXPECT_EQ(shown.Entries[1].Caption, "-");
  EXPECT_FALSE(shown.Entries[1].Picture);
  EXPECT_EQ(clicked, std::vector<TMenuItem*>{end});
}

TEST_F(MenuTest, DismissingOrChoosingASeparatorRunsNothing) {
  platform.Modal.AnswerMenu(-1);
  menu->Popup({});
  platform.Modal.AnswerMenu(1);
  menu->Popup({});
  EXPECT_TRUE(clicked.empty());
}

TEST_F(MenuTest, AnItemRemovedWhileTheMenuIsOpenIsNotRun) {
  platform.Modal.AnswerMenu(2, [&] { delete end; });
  menu->Popup({});
  EXPECT_TRUE(clicked.empty());
  EXPECT_EQ(menu->Items().size(), 2u);
}

TEST_F(MenuTest, RemovingTheImageListLeavesTheMenuWithoutPictures) {
  delete images;
  EXPECT_EQ(menu->Images(), nullptr);
  menu->Popup({});
  EXPECT_FALSE(platform.Modal.Menus[0].Entries[0].Picture);
}

TEST_F(MenuTest, ImageListCopiesIntoAnIconAndTellsItsHolder) {
  TIcon icon;
  int changes = 0;
  icon.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &icon);
    ++changes;
  };
  images->GetIcon(1, icon);
  EXPECT_EQ(icon.Image(), images->Image(1));
  images->GetIcon(5, icon);
  EXPECT_TRUE(icon.Empty());
  EXPECT_EQ(changes, 2);
}

TEST_F(MenuTest, ClipboardAndShellOpenReachThePlatform) {
  EXPECT_EQ(Clipboard().AsText(), "");
  EXPECT_TRUE(Clipboard().SetAsText("DFÜ-IP?"));
  EXPECT_EQ(Clipboard().AsText(), "DFÜ-IP?");
  OpenUrl(app->Handle(), "http://192.168.0.1:8080/zerka-admin/");
  ASSERT_EQ(platform.Desktop.Opened.size(), 1u);
  EXPECT_EQ(platform.Desktop.Opened[0].Target, "http://192.168.0.1:8080/zerka-admin/");
  EXPECT_EQ(platform.Desktop.Opened[0].Show, TShowCommand::ShowMaximized);
}

}  // namespace
}  // namespace zerka::testing

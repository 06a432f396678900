// The window as the user meets it: every control's place, size, caption and tab position, the
// tray menu's captions and the button pictures, checked against values typed in here (not
// against the layout data the window is built from).

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "monitor/Unit1Resource.h"
#include "tests/monitor/MonitorFixture.h"

namespace zerka {
namespace {

using MonitorLayout = MonitorTest;

struct TExpectedControl {
  const char* Name;
  const char* Parent;  // "" for the window itself
  TRect Bounds;
  std::string Caption;
  int Tab;  // -1: takes no focus
};

TEST_F(MonitorLayout, EveryControlSitsWhereTheTablesPutIt) {
  const std::vector<TExpectedControl> expected = {
      {"Aktiviert", "", {8, 8, 97, 17}, "Aktiviert", 0},
      {"Panel1", "", {32, 32, 249, 249}, "", 1},
      {"GroupBox1", "", {32, 288, 353, 177}, "Ergebnisse", 2},
      {"BitBtn3", "", {288, 112, 97, 25}, "S&chließen"_l1, 3},
      {"BitBtn2", "", {288, 40, 97, 25}, "Abbrechen", 4},
      {"BitBtn1", "", {288, 8, 99, 25}, "OK", 5},
      {"BitBtn4", "", {312, 168, 75, 25}, "&Hilfe", 6},
      {"BitBtn5", "", {288, 80, 99, 25}, "Übernehmen"_l1, 8},
      {"BalloonInfo", "", {32, 472, 225, 17}, "Balloon-Hint bei Statusänderung"_l1, 9},
      {"StatusBar1", "", {0, 493, 397, 19}, "", -1},
      {"Label1", "Panel1", {8, 16, 63, 13}, "Proxy-Server:", -1},
      {"ProxyHost", "Panel1", {32, 32, 121, 21}, "", 2},
      {"Label2", "Panel1", {8, 56, 22, 13}, "Port:", -1},
      {"ProxyPort", "Panel1", {32, 72, 121, 22}, "1", 0},
      {"Label3", "Panel1", {8, 104, 96, 13}, "Abfrageinterval (ms):", -1},
      {"Abfrageinterval", "Panel1", {32, 120, 121, 22}, "1000", 1},
      {"Label10", "Panel1", {8, 160, 155, 13}, "HTTP-Benutzername (leer=kein):", -1},
      {"httpBenutzername", "Panel1", {32, 176, 121, 21}, "", 3},
      {"Label11", "Panel1", {8, 200, 78, 13}, "HTTP-Passwort:", -1},
      {"httpPasswort", "Panel1", {32, 216, 121, 21}, "", 4},
      {"Label4", "GroupBox1", {8, 24, 64, 13}, "Internet Verb.", -1},
      {"Internetverbindungen", "GroupBox1", {96, 24, 241, 21}, "Internet Verbindungen?", 0},
      {"Label5", "GroupBox1", {8, 48, 33, 13}, "Status:", -1},
      {"Status", "GroupBox1", {96, 48, 241, 21}, "Status?", 1},
      {"Label6", "GroupBox1", {8, 72, 63, 13}, "DFÜ gesperrt"_l1, -1},
      {"DFUEGesperrt", "GroupBox1", {96, 72, 241, 21}, "DFÜ gesperrt?"_l1, 2},
      {"Label7", "GroupBox1", {8, 96, 79, 13}, "Zeit bis Auflegen", -1},
      {"Zeitbisauflegen", "GroupBox1", {96, 96, 241, 21}, "Zeit bis zum Auflegen?", 3},
      {"Label8", "GroupBox1", {8, 120, 35, 13}, "DFÜ-IP"_l1, -1},
      {"DFUEIP", "GroupBox1", {96, 120, 241, 21}, "DFÜ-IP?"_l1, 4},
      {"Label9", "GroupBox1", {8, 144, 51, 13}, "Online-Zeit", -1},
      {"Onlinezeit", "GroupBox1", {96, 144, 241, 21}, "Online-Zeit?", 5},
  };
  Start();
  std::map<std::string, const TControl*> controls;
  for (TComponent* component : form->Components()) {
    if (const auto* control = dynamic_cast<const TControl*>(component)) controls[control->Name] = control;
  }
  EXPECT_EQ(controls.size(), expected.size());
  for (const TExpectedControl& want : expected) {
    SCOPED_TRACE(want.Name);
    const auto found = controls.find(want.Name);
    ASSERT_NE(found, controls.end());
    const TControl& control = *found->second;
    const headless::TWindowModel* peer = platform.Loop.Window(control.Handle());
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(control.Parent() ? control.Parent()->Name : "", want.Parent);
    EXPECT_EQ(peer->Control.Bounds, want.Bounds);
    EXPECT_EQ(control.Text(), want.Caption);
    EXPECT_EQ(peer->Control.TabOrder, want.Tab);
  }

  const headless::TWindowModel* window = platform.Loop.Window(form->Handle());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Form.Caption, "Zerka2Remote2Config");
  EXPECT_EQ(window->Form.Bounds, (TRect{287, 129, 397, 512}));
  EXPECT_FALSE(window->Form.Resizable);
  EXPECT_TRUE(window->Form.MinimizeBox);
  EXPECT_FALSE(window->Form.MaximizeBox);
}

// Each label names the field after it and, like each check box, carries an access key of its
// own caption; the peer shows it underlined ("&"), the caption itself stays.
TEST_F(MonitorLayout, LabelsNameTheirFieldsAndEveryAccessKeyIsUnique) {
  const std::vector<std::tuple<const char*, const char*, char>> expected = {
      {"Label1", "ProxyHost", 'S'},          {"Label2", "ProxyPort", 'P'},  {"Label3", "Abfrageinterval", 'M'},
      {"Label10", "httpBenutzername", 'B'},  {"Label11", "httpPasswort", 'T'},
      {"Label4", "Internetverbindungen", 'I'}, {"Label5", "Status", 'U'}, {"Label6", "DFUEGesperrt", 'D'},
      {"Label7", "Zeitbisauflegen", 'Z'},    {"Label8", "DFUEIP", 'F'},     {"Label9", "Onlinezeit", 'O'},
      {"Aktiviert", "", 'A'},                {"BalloonInfo", "", 'L'},      {"BitBtn3", "", 'C'},
      {"BitBtn4", "", 'H'},
  };
  Start();
  std::map<std::string, TControl*> controls;
  std::string keys;
  for (TComponent* component : form->Components()) {
    if (auto* control = dynamic_cast<TControl*>(component)) {
      controls[control->Name] = control;
      if (control->AccessKey()) keys += control->AccessKey();
    }
  }
  EXPECT_EQ(keys.size(), expected.size());
  for (const auto& [name, field, key] : expected) {
    SCOPED_TRACE(name);
    TControl* control = controls.at(name);
    EXPECT_EQ(control->AccessKey(), key);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 1);
    const std::string shown = platform.Loop.Window(control->Handle())->Text;
    if (dynamic_cast<TBitBtn*>(control)) {
      EXPECT_EQ(shown, control->Text());
      continue;
    }
    const std::size_t mark = shown.find('&');
    ASSERT_NE(mark, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(0, mark) + shown.substr(mark + 1), control->Text());
    EXPECT_EQ(std::toupper(static_cast<unsigned char>(shown[mark + 1])), key);
    if (!*field) continue;
    auto* label = dynamic_cast<TLabel*>(control);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->FocusControl(), controls.at(field));
    EXPECT_EQ(platform.Loop.Window(label->Handle())->LabelFor, controls.at(field)->Handle());
  }
  EXPECT_EQ(form->Label1->Text(), "Proxy-Server:");

  // Alt with a label's key focuses its field; with a check box's key it toggles the box.
  const std::string host = form->ProxyHost->Text();
  ASSERT_TRUE(PressAccessKey(*form, 's'));
  EXPECT_EQ(platform.Loop.Focus(), form->ProxyHost->Handle());
  EXPECT_EQ(form->ProxyHost->Text(), host);
  const bool active = form->Aktiviert->Checked();
  ASSERT_TRUE(PressAccessKey(*form, 'A'));
  EXPECT_NE(form->Aktiviert->Checked(), active);
  EXPECT_FALSE(PressAccessKey(*form, 'Q'));
}

TEST_F(MonitorLayout, TheTrayMenuReadsAsTheTableFromTopToBottom) {
  const std::vector<std::pair<std::string, int>> expected = {
      {"Zerka2 Remote - Einstellungen...", 0},
      {"-", -1},
      {"Zerka2 beenden", -1},
      {"Zerka2 neustarten", -1},
      {"Zerka2 - Einstellungen...", -1},
      {"-", -1},
      {"IP in die Zwischenablage kopieren", -1},
      {"-", -1},
      {"Logout", 4},
      {"Mails abholen", 2},
      {"DFÜ sperren / entsperren"_l1, 3},
      {"-", -1},
      {"Ende", 1},
  };
  Start();
  std::vector<std::pair<std::string, int>> items;
  for (const TMenuItem* item : form->PopupMenu1->Items()) {
    items.emplace_back(item->Caption, item->ImageIndex);
    EXPECT_FALSE(item->Default) << item->Caption;
  }
  EXPECT_EQ(items, expected);
}

// Each button shows both 18x18 halves of its glyph, whole: the normal image and, while the
// button is disabled, the disabled one.
TEST_F(MonitorLayout, ButtonPicturesKeepEveryDrawnPixelOfBothImages) {
  Start();
  const std::pair<TBitBtn*, TGlyphKind> buttons[] = {
      {form->BitBtn1, TGlyphKind::Ok},     {form->BitBtn2, TGlyphKind::Cancel}, {form->BitBtn3, TGlyphKind::Close},
      {form->BitBtn4, TGlyphKind::Help},   {form->BitBtn5, TGlyphKind::Apply},
  };
  for (const auto& [button, kind] : buttons) {
    SCOPED_TRACE(button->Name);
    const TPicture& strip = ButtonGlyph(kind);
    const TButtonGlyphPtr& glyph = platform.Loop.Window(button->Handle())->Control.Glyph;
    ASSERT_TRUE(glyph);
    for (const TPicture* half : {&glyph->Normal, &glyph->Disabled}) {
      ASSERT_EQ(half->Width, 18);
      ASSERT_EQ(half->Height, 18);
    }
    for (int y = 0; y < 18; ++y) {
      for (int x = 0; x < 36; ++x) {
        const TPicture& half = x < 18 ? glyph->Normal : glyph->Disabled;
        ASSERT_EQ(half.TransparentAt(x % 18, y), strip.TransparentAt(x, y)) << x << "," << y;
        if (!strip.TransparentAt(x, y)) {
          ASSERT_EQ(half.ColorAt(x % 18, y), strip.ColorAt(x, y)) << x << "," << y;
        }
      }
    }
  }
  // The walking figure reaches the bottom row.
  EXPECT_FALSE(form->BitBtn5->Glyph()->Normal.TransparentAt(4, 17));

  // A disabled button shows its disabled image and cannot be pressed.
  form->BitBtn5->SetEnabled(false);
  EXPECT_FALSE(platform.Loop.Window(form->BitBtn5->Handle())->Control.Enabled);
  Press(form->BitBtn5);
  EXPECT_FALSE(platform.Store.KeyExists(kSettingsPath));
}

}  // namespace
}  // namespace zerka

// Forms and controls as real windows: sizes, styles, font, tab order, notifications, keys,
// and the show/minimise messages the framework relies on.
#include "tests/platform_win32/Win32TestSupport.h"

#include <commctrl.h>

#include <vector>

#include "base/Latin1.h"

namespace zerka {
namespace {

TControlDesc Desc(TControlKind kind, const std::string& text, TRect bounds, int tabOrder = -1) {
  TControlDesc desc;
  desc.Kind = kind;
  desc.Text = text;
  desc.Bounds = bounds;
  desc.TabOrder = tabOrder;
  return desc;
}

HWND H(TWindowHandle window) { return reinterpret_cast<HWND>(window); }

TPicture Framed(std::uint32_t color) {
  TPicture picture;
  picture.Width = picture.Height = 18;
  for (int y = 0; y < 18; ++y) {
    for (int x = 0; x < 18; ++x) {
      const bool border = x == 0 || y == 0 || x == 17 || y == 17;
      picture.Colors.push_back(color);
      picture.Transparent.push_back(!border);
    }
  }
  return picture;
}

// An 18x18 picture whose every border pixel is drawn: red, and green for the disabled image.
TButtonGlyphPtr FramedGlyph() {
  return std::make_shared<const TButtonGlyph>(TButtonGlyph{Framed(0xFF0000u), Framed(0x00FF00u)});
}

// The control as it paints itself, one 0x00RRGGBB value per pixel.
struct TRendering {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
};

TRendering Render(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  TRendering rendering{client.right, client.bottom, {}};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (int i = 0; i < client.right * client.bottom; ++i) rendering.Pixels.push_back(pixels[i] & 0xFFFFFFu);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return rendering;
}

// True when every drawn pixel of the picture shows, in its colour, at one place.
bool ShowsWhole(const TRendering& rendering, const TPicture& picture) {
  for (int top = 0; top + picture.Height <= rendering.Height; ++top) {
    for (int left = 0; left + picture.Width <= rendering.Width; ++left) {
      bool whole = true;
      for (int y = 0; whole && y < picture.Height; ++y) {
        for (int x = 0; whole && x < picture.Width; ++x) {
          whole = picture.TransparentAt(x, y) ||
                  rendering.Pixels[(top + y) * rendering.Width + left + x] == picture.ColorAt(x, y);
        }
      }
      if (whole) return true;
    }
  }
  return false;
}

RECT BoundsInParent(HWND control) {
  RECT bounds;
  GetWindowRect(control, &bounds);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

class FormTest : public Win32PlatformTest {
 protected:
  void SetUp() override {
    Win32PlatformTest::SetUp();
    app_ = P().Windows().CreateApplicationWindow("Zerka2Remote", [this](TMessage& message) {
      appMessages_.push_back(message);
      return false;
    });
    TFormDesc desc;
    desc.Caption = "Zerka2Remote2Config";
    desc.Bounds = {287, 129, 397, 512};
    form_ = P().Windows().CreateFormWindow(desc, [this](TMessage& message) {
                                             formMessages_.push_back(message);
                                             return false;
                                           });
  }
  void TearDown() override {
    P().Windows().DestroyWindow(form_);
    P().Windows().DestroyWindow(app_);
    Win32PlatformTest::TearDown();
  }

  TWindowHandle Control(TWindowHandle parent, TControlDesc desc) {
    return P().Windows().CreateControl(parent, desc, [this, index = created_++](TMessage& message) {
      // Focus and update notifications are not what these tests look at.
      const bool watched = message.WParam == control_notify::Clicked || message.WParam == control_notify::Changed;
      if (message.Msg == msg::Command && watched) commands_.push_back({index, message.WParam});
      return false;
    });
  }

  static bool Seen(const std::vector<TMessage>& messages, std::uint32_t msg, std::uintptr_t wParam) {
    for (const auto& message : messages) {
      if (message.Msg == msg && message.WParam == wParam) return true;
    }
    return false;
  }

  struct TCommand {
    int Control;
    std::uintptr_t Code;
    friend bool operator==(const TCommand&, const TCommand&) = default;
  };

  TWindowHandle app_ = 0;
  TWindowHandle form_ = 0;
  int created_ = 0;
  std::vector<TMessage> appMessages_;
  std::vector<TMessage> formMessages_;
  std::vector<TCommand> commands_;
};

TEST_F(FormTest, ApplicationWindowIsAHiddenTopLevelWindow) {
  ASSERT_NE(app_, 0u);
  EXPECT_EQ(GetAncestor(H(app_), GA_PARENT), GetDesktopWindow()) << "the shell broadcasts only to top-level windows";
  EXPECT_FALSE(IsWindowVisible(H(app_)));
  EXPECT_EQ(GetWindow(H(form_), GW_OWNER), H(app_)) << "the form has no taskbar button of its own";

  // The shell's re-creation notice arrives as a broadcast; a message-only window misses it.
  bool messageWindowSawIt = false;
  const std::uint32_t taskbarCreated = P().NotifyArea().TaskbarCreatedMessage();
  const TWindowHandle messageWindow = P().EventLoop().CreateMessageWindow([&](TMessage& message) {
    messageWindowSawIt = messageWindowSawIt || message.Msg == taskbarCreated;
    return false;
  });
  ASSERT_TRUE(PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0));
  ASSERT_TRUE(WaitFor([&] { return Seen(appMessages_, taskbarCreated, 0); }));
  EXPECT_FALSE(messageWindowSawIt);
  P().EventLoop().DestroyMessageWindow(messageWindow);
}

TEST_F(FormTest, FormHasTheClientSizeAndAFixedBorderWithMinimiseOnly) {
  ASSERT_NE(form_, 0u);
  RECT client;
  GetClientRect(H(form_), &client);
  EXPECT_EQ(client.right, 397);
  EXPECT_EQ(client.bottom, 512);
  RECT outer;
  GetWindowRect(H(form_), &outer);
  EXPECT_EQ(outer.left, 287);
  EXPECT_EQ(outer.top, 129);
  const LONG_PTR style = GetWindowLongPtrA(H(form_), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  HMENU system = GetSystemMenu(H(form_), FALSE);
  EXPECT_EQ(GetMenuState(system, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(system, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(system, SC_MINIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  char caption[64] = {};
  GetWindowTextA(H(form_), caption, sizeof caption);
  EXPECT_STREQ(caption, "Zerka2Remote2Config");
}

TEST_F(FormTest, ControlsSitWhereTheLayoutSaysWithTheirFontAndTexts) {
  const TWindowHandle check = Control(form_, Desc(TControlKind::CheckBox, "Aktiviert", {8, 8, 97, 17}, 0));
  const TWindowHandle panel = Control(form_, Desc(TControlKind::Panel, "", {32, 32, 249, 249}, 1));
  const TWindowHandle host = Control(panel, Desc(TControlKind::Edit, "", {32, 32, 121, 21}, 2));
  TControlDesc spin = Desc(TControlKind::SpinEdit, "1000", {32, 120, 121, 22}, 1);
  spin.MinValue = 50;
  spin.MaxValue = 600000;
  const TWindowHandle interval = Control(panel, spin);
  const TWindowHandle password = Control(panel, Desc(TControlKind::PasswordEdit, "", {32, 216, 121, 21}, 4));
  const TWindowHandle label = Control(panel, Desc(TControlKind::Label, "Proxy-Server:", {8, 16, 63, 13}));
  const TWindowHandle group = Control(form_, Desc(TControlKind::GroupBox, "Ergebnisse", {32, 288, 353, 177}, 2));
  const TWindowHandle status = Control(group, Desc(TControlKind::Edit, "DFÜ-IP?"_l1, {96, 120, 241, 21}, 4));
  const TWindowHandle bar = Control(form_, Desc(TControlKind::StatusBar, "", {0, 493, 397, 19}));
  for (TWindowHandle control : {check, panel, host, interval, password, label, group, status, bar}) {
    ASSERT_NE(control, 0u);
  }

  const RECT groupBounds = BoundsInParent(H(group));
  EXPECT_EQ(groupBounds.left, 32);
  EXPECT_EQ(groupBounds.top, 288);
  EXPECT_EQ(groupBounds.right - groupBounds.left, 353);
  EXPECT_EQ(groupBounds.bottom - groupBounds.top, 177);
  const RECT barBounds = BoundsInParent(H(bar));
  EXPECT_EQ(barBounds.top, 493);
  EXPECT_EQ(barBounds.bottom, 512);
  EXPECT_EQ(barBounds.right, 397);
  // Edit and arrows together fill the spin field's width.
  const RECT editBounds = BoundsInParent(H(interval));
  EXPECT_EQ(editBounds.left, 32);
  EXPECT_LT(editBounds.right, 32 + 121);

  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(H(host), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(font.lfHeight, -11);

  EXPECT_EQ(P().Windows().GetText(status), "DFÜ-IP?"_l1);
  P().Windows().SetText(bar, "08.12.2026 10:00:00 Beginne Proxy-Abfrage");
  EXPECT_EQ(P().Windows().GetText(bar), "08.12.2026 10:00:00 Beginne Proxy-Abfrage");
  EXPECT_EQ(SendMessageA(H(password), EM_GETPASSWORDCHAR, 0, 0), '*');

  EXPECT_FALSE(P().Windows().GetChecked(check));
  P().Windows().SetChecked(check, true);
  EXPECT_TRUE(P().Windows().GetChecked(check));
  EXPECT_EQ(P().Windows().GetText(interval), "1000");
}

TEST_F(FormTest, SpinFieldArrowsStayInsideTheRange) {
  TControlDesc spin = Desc(TControlKind::SpinEdit, "65535", {32, 72, 121, 22}, 0);
  spin.MinValue = 1;
  spin.MaxValue = 65535;
  const TWindowHandle port = Control(form_, spin);
  HWND arrows = nullptr;
  for (HWND child = GetWindow(H(form_), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, UPDOWN_CLASSA) == 0) arrows = child;
  }
  ASSERT_NE(arrows, nullptr);
  int low = 0;
  int high = 0;
  SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 65535);
  // The up arrow key in the field at the top of the range keeps it there.
  SendMessageA(H(port), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(P().Windows().GetText(port), "65535");
  P().Windows().DestroyWindow(port);
  EXPECT_FALSE(IsWindow(arrows)) << "the arrows go with their field";
}

TEST_F(FormTest, TabFollowsTheTabOrderNotTheCreationOrder) {
  const TWindowHandle host = Control(form_, Desc(TControlKind::Edit, "", {32, 32, 121, 21}, 2));
  const TWindowHandle port = Control(form_, Desc(TControlKind::Edit, "", {32, 72, 121, 21}, 0));
  Control(form_, Desc(TControlKind::Label, "Port:", {8, 56, 22, 13}));
  const TWindowHandle interval = Control(form_, Desc(TControlKind::Edit, "", {32, 120, 121, 21}, 1));
  EXPECT_EQ(GetNextDlgTabItem(H(form_), H(port), FALSE), H(interval));
  EXPECT_EQ(GetNextDlgTabItem(H(form_), H(interval), FALSE), H(host));
  EXPECT_EQ(GetNextDlgTabItem(H(form_), H(host), FALSE), H(port));

  P().Windows().ShowWindow(form_, TShowCommand::ShowNormal);
  P().Windows().SetFocus(port);
  PostMessageA(H(port), WM_KEYDOWN, VK_TAB, 0);
  ASSERT_TRUE(WaitFor([&] { return GetFocus() == H(interval); }));
}

// What screen readers and UI Automation read, on any code page; a typed character the
// program's texts cannot hold reaches its handlers as '?', never as another byte.
TEST_F(FormTest, TextsReachWindowsAsUnicodeAndTypedCharactersAsTheirBytes) {
  const TWindowHandle label = Control(form_, Desc(TControlKind::Label, "DFÜ gesperrt"_l1, {8, 16, 63, 13}));
  std::vector<std::uintptr_t> typed;
  const TWindowHandle edit = P().Windows().CreateControl(
      form_, Desc(TControlKind::Edit, "", {32, 32, 121, 21}, 0), [&typed](TMessage& message) {
        if (message.Msg == WM_CHAR) typed.push_back(message.WParam);
        return false;
      });
  wchar_t text[64] = {};
  GetWindowTextW(H(label), text, 64);
  EXPECT_STREQ(text, L"DF\u00DC gesperrt") << "code page " << GetACP();
  P().Windows().SetText(label, "S&chließen"_l1);
  GetWindowTextW(H(label), text, 64);
  EXPECT_STREQ(text, L"S&chlie\u00DFen");

  SendMessageW(H(edit), WM_CHAR, 0x00FC, 0);
  SendMessageW(H(edit), WM_CHAR, 0x0430, 0);
  EXPECT_EQ(typed, (std::vector<std::uintptr_t>{0xFC, '?'}));
  EXPECT_EQ(P().Windows().GetText(edit), "ü?"_l1) << "the control got both";
}

TEST_F(FormTest, ClicksChangesEnterAndEscapeReachTheControls) {
  TControlDesc ok = Desc(TControlKind::Button, "OK", {288, 8, 99, 25}, 5);
  ok.Default = true;
  ok.Glyph = FramedGlyph();
  TControlDesc cancel = Desc(TControlKind::Button, "Abbrechen", {288, 40, 97, 25}, 4);
  cancel.Cancel = true;
  const TWindowHandle okButton = Control(form_, ok);        // control 0
  const TWindowHandle cancelButton = Control(form_, cancel);  // control 1
  const TWindowHandle panel = Control(form_, Desc(TControlKind::Panel, "", {32, 32, 249, 249}, 1));  // 2
  const TWindowHandle host = Control(panel, Desc(TControlKind::Edit, "", {32, 32, 121, 21}, 0));      // 3
  const TWindowHandle check = Control(form_, Desc(TControlKind::CheckBox, "Aktiviert", {8, 8, 97, 17}, 0));  // 4
  ASSERT_NE(okButton, 0u);
  ASSERT_NE(cancelButton, 0u);

  SendMessageA(H(okButton), BM_CLICK, 0, 0);
  EXPECT_EQ(commands_, (std::vector<TCommand>{{0, control_notify::Clicked}}));
  commands_.clear();

  P().Windows().SetText(host, "zerka");
  EXPECT_EQ(commands_, (std::vector<TCommand>{{3, control_notify::Changed}})) << "the edit inside the panel";
  commands_.clear();

  SendMessageA(H(check), BM_CLICK, 0, 0);
  EXPECT_TRUE(P().Windows().GetChecked(check));
  EXPECT_EQ(commands_, (std::vector<TCommand>{{4, control_notify::Clicked}}));
  commands_.clear();

  P().Windows().ShowWindow(form_, TShowCommand::ShowNormal);
  P().Windows().SetFocus(host);
  PostMessageA(H(host), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitFor([&] { return !commands_.empty(); }));
  EXPECT_EQ(commands_, (std::vector<TCommand>{{1, control_notify::Clicked}})) << "Escape presses the cancel button";
  commands_.clear();

  PostMessageA(H(host), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitFor([&] { return !commands_.empty(); }));
  EXPECT_EQ(commands_, (std::vector<TCommand>{{0, control_notify::Clicked}})) << "Enter presses the default button";
  commands_.clear();

  P().Windows().SetFocus(cancelButton);
  PostMessageA(H(cancelButton), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitFor([&] { return !commands_.empty(); }));
  EXPECT_EQ(commands_, (std::vector<TCommand>{{1, control_notify::Clicked}})) << "Enter presses the focused button";
}

TEST_F(FormTest, AButtonDrawsItsWholePictureAndTheDisabledOneWhileDisabled) {
  TControlDesc desc = Desc(TControlKind::Button, "Übernehmen"_l1, {288, 80, 99, 25}, 8);
  desc.Glyph = FramedGlyph();
  const TWindowHandle button = Control(form_, desc);
  ASSERT_NE(button, 0u);
  EXPECT_TRUE(ShowsWhole(Render(H(button)), desc.Glyph->Normal));
  EXPECT_FALSE(ShowsWhole(Render(H(button)), desc.Glyph->Disabled));
  P().Windows().SetEnabled(button, false);
  EXPECT_FALSE(IsWindowEnabled(H(button)));
  EXPECT_TRUE(ShowsWhole(Render(H(button)), desc.Glyph->Disabled));
}

TEST_F(FormTest, ShowMinimiseRestoreReachTheHandlerBeforeShowWindowReturns) {
  P().Windows().ShowWindow(form_, TShowCommand::ShowNormal);
  EXPECT_TRUE(Seen(formMessages_, msg::ShowWindow, 1));
  EXPECT_TRUE(P().Windows().IsWindowVisible(form_));

  formMessages_.clear();
  P().Windows().ShowWindow(form_, TShowCommand::Minimize);
  EXPECT_TRUE(Seen(formMessages_, msg::Size, size_kind::Minimized));
  EXPECT_TRUE(P().Windows().IsIconic(form_));

  formMessages_.clear();
  P().Windows().ShowWindow(form_, TShowCommand::Restore);
  EXPECT_TRUE(Seen(formMessages_, msg::Size, size_kind::Restored));
  EXPECT_FALSE(P().Windows().IsIconic(form_));

  formMessages_.clear();
  P().Windows().ShowWindow(form_, TShowCommand::Hide);
  EXPECT_TRUE(Seen(formMessages_, msg::ShowWindow, 0));
  EXPECT_FALSE(P().Windows().IsWindowVisible(form_));

  // The application window minimised: what the minimise-to-tray hook waits for.
  P().Windows().ShowWindow(app_, TShowCommand::Minimize);
  EXPECT_TRUE(Seen(appMessages_, msg::Size, size_kind::Minimized));
  P().Windows().ShowWindow(app_, TShowCommand::Hide);
  EXPECT_FALSE(P().Windows().IsWindowVisible(app_));
}

}  // namespace
}  // namespace zerka

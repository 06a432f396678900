// What a screen reader and the keyboard meet in a form: labels right before their fields in
// z-order, groups, the focus on a control when the form opens and again after a message box,
// German message-box buttons.
#include <string>

#include "tests/platform_win32/Win32TestSupport.h"

namespace zerka {
namespace {

constexpr std::uint32_t kAct = msg::User + 10;

HWND H(TWindowHandle window) { return reinterpret_cast<HWND>(window); }

class AccessibilityTest : public Win32PlatformTest {
 protected:
  void SetUp() override {
    Win32PlatformTest::SetUp();
    app_ = P().Windows().CreateApplicationWindow("Zerka2 Remote", [](TMessage&) { return false; });
    TFormDesc desc;
    desc.Caption = "Zerka2Remote2Config";
    desc.Bounds = {287, 129, 397, 512};
    form_ = P().Windows().CreateFormWindow(desc, [](TMessage&) { return false; });
    check_ = Control(form_, TControlKind::CheckBox, "&Aktiviert", {8, 8, 97, 17}, 0);
    panel_ = Control(form_, TControlKind::Panel, "", {32, 32, 249, 249}, 1);
    hostLabel_ = Control(panel_, TControlKind::Label, "Proxy-&Server:", {8, 16, 63, 13}, -1);
    host_ = Control(panel_, TControlKind::Edit, "127.0.0.1", {32, 32, 121, 21}, 1);
    portLabel_ = Control(panel_, TControlKind::Label, "&Port:", {8, 56, 22, 13}, -1);
    port_ = Control(panel_, TControlKind::SpinEdit, "4295", {32, 72, 121, 22}, 0);
    P().Windows().SetLabelFor(hostLabel_, host_);
    P().Windows().SetLabelFor(portLabel_, port_);
  }
  void TearDown() override {
    if (helper_) P().EventLoop().DestroyMessageWindow(helper_);
    P().Windows().DestroyWindow(form_);
    P().Windows().DestroyWindow(app_);
    Win32PlatformTest::TearDown();
  }

  TWindowHandle Control(TWindowHandle parent, TControlKind kind, const std::string& text, TRect bounds, int tab) {
    TControlDesc desc;
    desc.Kind = kind;
    desc.Text = text;
    desc.Bounds = bounds;
    desc.TabOrder = tab;
    desc.MinValue = 1;
    desc.MaxValue = 65535;
    return P().Windows().CreateControl(parent, desc, [](TMessage&) { return false; });
  }

  // As the program opens its window: the taskbar button's window first, then the form.
  void OpenForm() {
    P().Windows().ShowWindow(app_, TShowCommand::ShowNormal);
    P().Windows().ShowWindow(form_, TShowCommand::ShowNormal);
    P().Windows().SetForegroundWindow(form_);
  }

  // Runs action from inside the next modal loop until it returns true.
  void WhenModalLoopRuns(std::function<bool()> action) {
    action_ = std::move(action);
    if (!helper_) {
      helper_ = P().EventLoop().CreateMessageWindow([this](TMessage& message) {
        if (message.Msg != kAct) return false;
        if (!action_() && ++attempts_ < 200) P().EventLoop().PostWindowMessage(helper_, kAct, 0, 0);
        return true;
      });
    }
    attempts_ = 0;
    P().EventLoop().PostWindowMessage(helper_, kAct, 0, 0);
  }

  TWindowHandle app_ = 0, form_ = 0, check_ = 0, panel_ = 0, hostLabel_ = 0, host_ = 0, portLabel_ = 0, port_ = 0;
  TWindowHandle helper_ = 0;
  int attempts_ = 0;
  std::function<bool()> action_;
};

TEST_F(AccessibilityTest, EachLabelStandsRightBeforeItsFieldAndTheTabOrderStays) {
  EXPECT_EQ(GetWindow(H(hostLabel_), GW_HWNDNEXT), H(host_));
  EXPECT_EQ(GetWindow(H(portLabel_), GW_HWNDNEXT), H(port_));
  for (const TWindowHandle tabStop : {check_, panel_, host_, port_}) {
    EXPECT_TRUE(GetWindowLongPtrA(H(tabStop), GWL_STYLE) & WS_GROUP) << "a group of its own";
  }
  EXPECT_FALSE(GetWindowLongPtrA(H(hostLabel_), GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(GetNextDlgTabItem(H(form_), H(check_), FALSE), H(port_));
  EXPECT_EQ(GetNextDlgTabItem(H(form_), H(port_), FALSE), H(host_));
}

TEST_F(AccessibilityTest, TheFocusIsOnAControlWhenTheFormOpensAndAfterAMessageBoxOrHiding) {
  OpenForm();
  EXPECT_TRUE(WaitFor([&] { return GetFocus() == H(check_); })) << "the first tab stop";
  // A label's access key moves to its field, as Alt+S does through the dialog manager.
  PostMessageA(H(check_), WM_SYSCHAR, 's', LPARAM{1} << 29);
  EXPECT_TRUE(WaitFor([&] { return GetFocus() == H(host_); })) << "focus on " << GetFocus();

  P().Windows().SetFocus(host_);
  std::wstring cancelText;
  WhenModalLoopRuns([&] {
    HWND box = FindWindowA("#32770", "Beenden");
    if (!box) return false;
    wchar_t text[32] = {};
    GetDlgItemTextW(box, IDCANCEL, text, 32);
    cancelText = text;
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  // As the program asks: its application window asks for the box.
  EXPECT_EQ(P().Dialogs().ShowMessageBox(app_, "Keine Überwachung", "Beenden", TMsgButtons::OKCancel,
                                         TMsgIcon::None),
            TModalResult::Cancel);
  EXPECT_EQ(cancelText, L"Abbrechen");
  EXPECT_TRUE(WaitFor([&] { return GetFocus() == H(host_); })) << "focus on " << GetFocus();

  P().Windows().SetFocus(port_);
  P().Windows().ShowWindow(form_, TShowCommand::Hide);
  P().Windows().ShowWindow(app_, TShowCommand::Hide);
  OpenForm();
  EXPECT_TRUE(WaitFor([&] { return GetFocus() == H(port_); })) << "focus on " << GetFocus();
}

}  // namespace
}  // namespace zerka

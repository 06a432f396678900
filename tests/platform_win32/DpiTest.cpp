// The window and its pictures at other DPIs: the arithmetic, the font's face, pictures of
// other sizes, and a form that moves between monitors of other scales.
#include "tests/platform_win32/Win32TestSupport.h"

#include <commctrl.h>

#include <memory>

#include "platform/win32/Win32Controls.h"
#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Icons.h"

namespace zerka {
namespace {

using win32::ScaleForDpi;

TEST(DpiArithmeticTest, LayoutLengthsScaleAndRoundHalvesAwayFromZero) {
  EXPECT_EQ(ScaleForDpi(397, 96), 397);
  EXPECT_EQ(ScaleForDpi(397, 144), 596);  // 595.5
  EXPECT_EQ(ScaleForDpi(512, 144), 768);
  EXPECT_EQ(ScaleForDpi(17, 120), 21);  // 21.25
  EXPECT_EQ(ScaleForDpi(-11, 144), -17);  // the font height, -16.5
  EXPECT_EQ(ScaleForDpi(25, 192), 50);
  const TRect scaled = ScaleForDpi(TRect{287, 113, 97, 25}, 144);
  EXPECT_EQ(scaled.Left, 431);
  EXPECT_EQ(scaled.Top, 170);
  EXPECT_EQ(scaled.Width, 146);
  EXPECT_EQ(scaled.Height, 38);
}

TEST(DpiArithmeticTest, PicturesWithoutLargerDrawingsGrowByWholeFactors) {
  EXPECT_EQ(win32::WholePictureFactor(96), 1);
  EXPECT_EQ(win32::WholePictureFactor(144), 1);
  EXPECT_EQ(win32::WholePictureFactor(192), 2);
  EXPECT_EQ(win32::WholePictureFactor(288), 3);
}

// A 16x16 picture with a red top-left pixel on blue, and a 24-pixel drawing in green.
TIconImage PictureWithA24Drawing() {
  TIconImage image;
  image.Colors.fill(0x0000FFu);
  image.Colors[0] = 0xFF0000u;
  image.Transparent[TIconImage::kPixels - 1] = true;
  auto drawing = std::make_shared<TIconDrawing>();
  drawing->Side = 24;
  drawing->Colors.assign(24 * 24, 0x00FF00u);
  drawing->Transparent.assign(24 * 24, false);
  image.LargerDrawings.push_back(drawing);
  return image;
}

TEST(DpiPicturesTest, IconsAreMadeAtTheSideAskedFor) {
  HICON icon = win32::CreateIconFromImage(PictureWithA24Drawing(), 24);
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP color{};
  GetObjectA(info.hbmColor, sizeof color, &color);
  EXPECT_EQ(color.bmWidth, 24);
  EXPECT_EQ(color.bmHeight, 24);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

RECT BoundsInParent(HWND control) {
  RECT bounds;
  GetWindowRect(control, &bounds);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

void ExpectBounds(HWND control, int left, int top, int width, int height) {
  const RECT bounds = BoundsInParent(control);
  EXPECT_EQ(bounds.left, left);
  EXPECT_EQ(bounds.top, top);
  EXPECT_EQ(bounds.right - bounds.left, width);
  EXPECT_EQ(bounds.bottom - bounds.top, height);
}

LOGFONTA Font(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

SIZE OuterSize(HWND window) {
  RECT outer;
  GetWindowRect(window, &outer);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

// The frame around a client area at dpi: what the window adds to the layout's size.
SIZE FrameAtDpi(HWND window, int dpi) {
  RECT frame{0, 0, 0, 0};
  win32::AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)),
                                static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)), dpi);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

TEST(DpiFontTest, TheBitmapFaceOnlyAt96DpiItsTrueTypeDesignEverywhereElse) {
  EXPECT_STREQ(win32::DialogFontFace(96), L"MS Sans Serif");
  for (const int dpi : {120, 144, 168, 192}) EXPECT_STREQ(win32::DialogFontFace(dpi), L"Microsoft Sans Serif") << dpi;
}

class DpiFormTest : public Win32PlatformTest {
 protected:
  TWindowHandle MakeForm(TRect bounds = {287, 129, 397, 512}) {
    TFormDesc formDesc;
    formDesc.Caption = "Zerka2Remote2Config";
    formDesc.Bounds = bounds;
    return P().Windows().CreateFormWindow(formDesc, [](TMessage&) { return false; });
  }
};

TEST_F(DpiFormTest, AFormOnAMonitorOfAnotherScaleGoesWhereSuggestedAndRescalesItsControls) {
  if (win32::SystemDpi() != 96) GTEST_SKIP() << "laid out for a 96-dpi screen";
  const TWindowHandle form = MakeForm();
  auto control = [&](TWindowHandle parent, TControlKind kind, TRect bounds) {
    TControlDesc desc;
    desc.Kind = kind;
    desc.Bounds = bounds;
    desc.MinValue = 1;
    desc.MaxValue = 65535;
    desc.Text = kind == TControlKind::SpinEdit ? "1" : "";
    return reinterpret_cast<HWND>(P().Windows().CreateControl(parent, desc, [](TMessage&) { return false; }));
  };
  const HWND panel = control(form, TControlKind::Panel, {32, 32, 249, 249});
  const HWND port = control(reinterpret_cast<TWindowHandle>(panel), TControlKind::SpinEdit, {32, 72, 121, 22});
  const HWND ok = control(form, TControlKind::Button, {288, 8, 99, 25});
  const HWND arrows = FindWindowExA(panel, nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_NE(arrows, nullptr);
  ExpectBounds(port, 32, 72, 106, 22);
  ExpectBounds(arrows, 138, 72, 15, 22);

  RECT suggested{300, 40, 300 + 640, 40 + 700};
  SendMessageA(reinterpret_cast<HWND>(form), win32::kDpiChangedMessage, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT outer;
  GetWindowRect(reinterpret_cast<HWND>(form), &outer);
  EXPECT_EQ(outer.left, 300);
  EXPECT_EQ(outer.top, 40);
  ExpectBounds(panel, 48, 48, 374, 374);
  ExpectBounds(port, 48, 108, 182 - 23, 33);
  ExpectBounds(arrows, 48 + 182 - 23, 108, 23, 33);
  ExpectBounds(ok, 432, 12, 149, 38);
  EXPECT_EQ(Font(ok).lfHeight, -17);
  EXPECT_STREQ(Font(ok).lfFaceName, "Microsoft Sans Serif");

  // Back on a 96-dpi monitor everything is as laid out again.
  suggested = {300, 140, 300 + 420, 140 + 550};
  SendMessageA(reinterpret_cast<HWND>(form), win32::kDpiChangedMessage, MAKEWPARAM(96, 96),
               reinterpret_cast<LPARAM>(&suggested));
  ExpectBounds(port, 32, 72, 106, 22);
  ExpectBounds(arrows, 138, 72, 15, 22);
  ExpectBounds(ok, 288, 8, 99, 25);
  EXPECT_EQ(Font(ok).lfHeight, -11);
  EXPECT_STREQ(Font(ok).lfFaceName, "MS Sans Serif");
  P().Windows().DestroyWindow(form);
}

// Windows asks for the size first (WM_GETDPISCALEDSIZE) and then suggests a rectangle of
// that size, or on older systems one scaled from the current size, which rounds a little off
// each time. The client area is the layout's times the scale at every step and the layout's
// own again at 96 dpi.
TEST_F(DpiFormTest, MovesBetweenScalesKeepTheClientAreaExactlyTheLayoutsTimesTheScale) {
  if (win32::SystemDpi() != 96) GTEST_SKIP() << "laid out for a 96-dpi screen";
  // Small enough for the test screen at 144 dpi: the system keeps windows within the screen.
  const HWND form = reinterpret_cast<HWND>(MakeForm({40, 30, 397, 283}));
  for (const int dpi : {144, 120, 96, 144, 96}) {
    SIZE asked = OuterSize(form);
    EXPECT_EQ(SendMessageA(form, win32::kGetDpiScaledSizeMessage, dpi, reinterpret_cast<LPARAM>(&asked)), TRUE);
    const SIZE frame = FrameAtDpi(form, dpi);
    EXPECT_EQ(asked.cx - frame.cx, ScaleForDpi(397, dpi)) << dpi;
    EXPECT_EQ(asked.cy - frame.cy, ScaleForDpi(283, dpi)) << dpi;
    RECT drifted{100, 100, 100 + asked.cx + 1, 100 + asked.cy - 1};
    SendMessageA(form, win32::kDpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&drifted));
    EXPECT_EQ(OuterSize(form).cx, asked.cx) << dpi;
    EXPECT_EQ(OuterSize(form).cy, asked.cy) << dpi;
  }
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 397);
  EXPECT_EQ(client.bottom, 283);
}

}  // namespace
}  // namespace zerka

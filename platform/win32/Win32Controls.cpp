// Controls (the window port's CreateControl):
//  [x] check box, edit, password edit ('*'), spin edit (edit + 15-pixel up-down, 32-bit range),
//      button with picture (owner-drawn glyph at its own size, its disabled image while
//      disabled; caption, "&" access keys, default and cancel buttons), label, panel with a
//      lowered outer and raised inner bevel, group box, status bar in simple mode with exact
//      bounds
//  [x] "MS Sans Serif" 8 pt on every control at 96 dpi; at any other DPI its TrueType design,
//      "Microsoft Sans Serif", since the bitmap face has no sizes in between
//  [x] bounds and font scaled to the form's DPI from the 96-dpi layout, again when it
//      changes; glyphs enlarged by whole factors
//  [x] tab order: siblings ordered by TabOrder, controls without one take no focus; every tab
//      stop begins a group
#include "platform/win32/Win32Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/win32/Win32Dpi.h"
#include "platform/win32/Win32Icons.h"
#include "platform/win32/Win32Text.h"

namespace zerka::win32 {
namespace {

constexpr int kGlyphGap = 4;
constexpr int kFirstControlId = 100;
constexpr int kFontHeight = -11;
// The spin field's arrow buttons.
constexpr int kUpDownWidth = 15;

struct TClassAndStyle {
  const wchar_t* ClassName;
  DWORD Style;
  DWORD ExStyle;
};

TClassAndStyle ClassFor(const TControlDesc& desc) {
  switch (desc.Kind) {
    case TControlKind::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case TControlKind::Edit:
      return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case TControlKind::PasswordEdit:
      return {L"EDIT", ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE};
    case TControlKind::SpinEdit:
      return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case TControlKind::Button:
      return {L"BUTTON", BS_OWNERDRAW, 0};
    case TControlKind::Label:
      return {L"STATIC", SS_LEFTNOWORDWRAP, 0};
    case TControlKind::Panel:
      return {PanelWindowClass(), WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case TControlKind::GroupBox:
      return {L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case TControlKind::StatusBar:
      return {STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0};
  }
  return {L"STATIC", 0, 0};
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

int TabOrderOf(HWND window) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(window, kTabOrderProperty))) - 1;
}

// Siblings are visited by Tab in z-order: put the control after the last sibling that comes
// before it; controls without a tab position go to the end.
void PlaceInTabOrder(HWND parent, HWND control, int tabOrder) {
  SetPropW(control, kTabOrderProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(tabOrder + 1)));
  if (tabOrder < 0) return;
  HWND insertAfter = HWND_TOP;
  for (HWND sibling = GetWindow(parent, GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == control) continue;
    const int siblingOrder = TabOrderOf(sibling);
    if (siblingOrder >= 0 && siblingOrder <= tabOrder) insertAfter = sibling;
  }
  SetWindowPos(control, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND CreateUpDown(HWND parent, HWND edit, const TControlDesc& desc) {
  HWND upDown = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!upDown) return nullptr;
  SendMessageW(upDown, UDM_SETRANGE32, static_cast<WPARAM>(desc.MinValue), desc.MaxValue);
  SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  const long initial = std::strtol(desc.Text.c_str(), nullptr, 10);
  SendMessageW(upDown, UDM_SETPOS32, 0, std::clamp<long>(initial, desc.MinValue, desc.MaxValue));
  return upDown;
}

// A button's pictures, enlarged by the whole factor the form's DPI allows.
void MakeGlyph(TWindowRecord& button, int dpi) {
  if (button.Glyph) DestroyIcon(button.Glyph);
  if (button.DisabledGlyph) DestroyIcon(button.DisabledGlyph);
  button.Glyph = button.DisabledGlyph = nullptr;
  button.GlyphSize = {0, 0};
  if (!button.Picture) return;
  const int factor = WholePictureFactor(dpi);
  button.Glyph = CreateIconFromPixels(ScaleNearest(PixelsOf(button.Picture->Normal), factor));
  button.DisabledGlyph = CreateIconFromPixels(ScaleNearest(PixelsOf(button.Picture->Disabled), factor));
  button.GlyphSize = {button.Picture->Normal.Width * factor, button.Picture->Normal.Height * factor};
}

// A spin field's edit and its arrows share the field's bounds, the arrows at the right end,
// placed by the platform rather than by the up-down control so that they scale alike.
void PlaceAtDpi(const TWindowRecord& control, int dpi) {
  const TRect bounds = ScaleForDpi(control.LayoutBounds, dpi);
  int editWidth = bounds.Width;
  if (control.Buddy) {
    const int arrowsWidth = std::min(ScaleForDpi(kUpDownWidth, dpi), bounds.Width);
    editWidth -= arrowsWidth;
    SetWindowPos(control.Buddy, nullptr, bounds.Left + editWidth, bounds.Top, arrowsWidth, bounds.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(control.Window, nullptr, bounds.Left, bounds.Top, editWidth, bounds.Height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK RescaleControl(HWND window, LPARAM dpiParam) {
  const int dpi = static_cast<int>(dpiParam);
  const auto record = FindWindowRecord(window);
  if (!record || (record->Role != TWindowRole::Control && record->Role != TWindowRole::Panel)) return TRUE;
  PlaceAtDpi(*record, dpi);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi)), TRUE);
  if (record->Kind == TControlKind::Button) MakeGlyph(*record, dpi);
  if (record->Kind == TControlKind::Label) FitLabelToCaption(window);
  return TRUE;
}

}  // namespace

const wchar_t* DialogFontFace(int dpi) { return dpi == kLayoutDpi ? L"MS Sans Serif" : L"Microsoft Sans Serif"; }

HFONT DialogFont(int dpi) {
  static std::map<int, HFONT> fonts;
  HFONT& font = fonts[dpi];
  if (!font) {
    font = CreateFontW(ScaleForDpi(kFontHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       DialogFontFace(dpi));
  }
  return font;
}

int FormDpi(HWND window) {
  const auto form = FindWindowRecord(GetAncestor(window, GA_ROOT));
  return form && form->Role == TWindowRole::Form ? form->Dpi : WindowDpi(window);
}

void RescaleControls(HWND form, int dpi) {
  SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi)), FALSE);
  EnumChildWindows(form, RescaleControl, dpi);
}

HWND CreateControlWindow(HWND parent, const TControlDesc& desc, TMessageHandler handler) {
  static int nextId = kFirstControlId;
  EnsureCommonControls();
  const TClassAndStyle kind = ClassFor(desc);
  DWORD style = WS_CHILD | WS_VISIBLE | kind.Style;
  // Each tab stop starts a group of its own: the arrow keys stay within the control.
  if (desc.TabOrder >= 0) style |= WS_TABSTOP | WS_GROUP;
  // WM_COMMAND carries 16 bits of id.
  if (nextId > 0xFFFF) nextId = kFirstControlId;
  const int id = nextId++;
  const int dpi = FormDpi(parent);
  const TRect bounds = ScaleForDpi(desc.Bounds, dpi);
  HWND control = CreateWindowExW(kind.ExStyle, kind.ClassName, Wide(desc.Text).c_str(), style, bounds.Left, bounds.Top,
                                 bounds.Width, bounds.Height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (!control) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi)), FALSE);

  auto record = std::make_shared<TWindowRecord>();
  record->Window = control;
  record->LayoutBounds = desc.Bounds;
  record->Handler = std::move(handler);
  record->Kind = desc.Kind;
  record->Role = desc.Kind == TControlKind::Panel ? TWindowRole::Panel : TWindowRole::Control;
  switch (desc.Kind) {
    case TControlKind::PasswordEdit:
      SendMessageW(control, EM_SETPASSWORDCHAR, L'*', 0);
      break;
    case TControlKind::SpinEdit:
      record->Buddy = CreateUpDown(parent, control, desc);
      PlaceAtDpi(*record, dpi);
      SetWindowTextW(control, Wide(desc.Text).c_str());
      break;
    case TControlKind::Button:
      record->Picture = desc.Glyph;
      MakeGlyph(*record, dpi);
      break;
    case TControlKind::Label:
      FitLabelToCaption(control);
      break;
    case TControlKind::StatusBar:
      SendMessageW(control, SB_SIMPLE, TRUE, 0);
      SendMessageW(control, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Wide(desc.Text).c_str()));
      record->StatusText = desc.Text;
      break;
    default:
      break;
  }
  if (record->Role == TWindowRole::Control) {
    record->Original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlWindowProc)));
  }
  AddWindow(record);
  if (desc.Kind == TControlKind::Button && (desc.Default || desc.Cancel)) {
    if (auto form = FindWindowRecord(GetAncestor(parent, GA_ROOT))) {
      if (desc.Default) form->DefaultButton = control;
      if (desc.Cancel) form->CancelButton = control;
    }
  }
  PlaceInTabOrder(parent, control, desc.TabOrder);
  return control;
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, const TWindowRecord& button) {
  HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  const auto form = FindWindowRecord(GetAncestor(button.Window, GA_ROOT));
  if (form && form->DefaultButton == button.Window) {
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&frame, -1, -1);
  }
  DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

  wchar_t caption[256] = {};
  GetWindowTextW(button.Window, caption, 256);
  const int dpi = FormDpi(button.Window);
  HGDIOBJ previousFont = SelectObject(dc, DialogFont(dpi));
  RECT textSize{0, 0, 0, 0};
  DrawTextW(dc, caption, -1, &textSize, DT_SINGLELINE | DT_CALCRECT);
  const int glyphWidth = button.Glyph ? button.GlyphSize.cx + (caption[0] ? ScaleForDpi(kGlyphGap, dpi) : 0) : 0;
  const int contentWidth = glyphWidth + (textSize.right - textSize.left);
  const int shift = pushed ? 1 : 0;
  int x = (item.rcItem.left + item.rcItem.right - contentWidth) / 2 + shift;
  const int middle = (item.rcItem.top + item.rcItem.bottom) / 2 + shift;
  if (button.Glyph) {
    HICON glyph = disabled && button.DisabledGlyph ? button.DisabledGlyph : button.Glyph;
    DrawIconEx(dc, x, middle - button.GlyphSize.cy / 2, glyph, button.GlyphSize.cx, button.GlyphSize.cy, 0, nullptr,
               DI_NORMAL);
    x += glyphWidth;
  }
  RECT textRect{x, item.rcItem.top + shift, item.rcItem.right, item.rcItem.bottom + shift};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(dc, caption, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  SelectObject(dc, previousFont);

  if (item.itemState & ODS_FOCUS) {
    RECT focus = frame;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

LRESULT PictureButtonDialogCode(HWND button) {
  return DLGC_BUTTON | (GetFocus() == button ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void PaintPanel(HWND panel) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(panel, &paint);
  RECT bounds;
  GetClientRect(panel, &bounds);
  DrawEdge(dc, &bounds, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
  EndPaint(panel, &paint);
}

LRESULT EraseWithFace(HWND window, HDC dc) {
  RECT bounds;
  GetClientRect(window, &bounds);
  FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  return TRUE;
}

void FitLabelToCaption(HWND label) {
  wchar_t caption[256] = {};
  const int length = GetWindowTextW(label, caption, 256);
  HDC dc = GetDC(label);
  HGDIOBJ previousFont = SelectObject(dc, DialogFont(FormDpi(label)));
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc, caption, length, &extent);
  SelectObject(dc, previousFont);
  ReleaseDC(label, dc);
  RECT bounds;
  GetClientRect(label, &bounds);
  // Never narrower than laid out: the layout's widths fit the original font.
  if (extent.cx > bounds.right) {
    SetWindowPos(label, nullptr, 0, 0, extent.cx, bounds.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace zerka::win32

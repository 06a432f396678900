#pragma once
// The monitor window's resource: every control, the tray menu, the image lists and the
// properties of the non-visual components, written once as data. Unit1 builds the window
// from it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Platform.h"
#include "monitor/Pictures.h"

namespace zerka {

enum class TLayoutKind { CheckBox, Panel, GroupBox, BitBtn, Label, Edit, PasswordEdit, SpinEdit, StatusBar };

struct TControlLayout {
  std::string Name;
  TLayoutKind Kind = TLayoutKind::Label;
  std::string Parent;  // empty: on the window itself
  TRect Bounds;
  std::string Caption;  // caption, initial text or initial value
  int TabOrder = -1;  // -1: takes no focus
  std::int32_t MinValue = 0;  // spin fields
  std::int32_t MaxValue = 0;
  TBitBtnKind ButtonKind = TBitBtnKind::bkCustom;
  std::optional<TGlyphKind> Glyph;
  bool Default = false;
  bool Cancel = false;
  TBevelCut BevelOuter = TBevelCut::bvNone;  // panels
  TBevelCut BevelInner = TBevelCut::bvNone;
};

struct TMenuItemLayout {
  std::string Name;
  std::string Caption;  // "-" is a separator
  int ImageIndex = -1;
};

struct TTrayIconLayout {
  std::uint32_t CycleInterval = 50;
  bool IconVisible = true;
  int IconIndex = 0;
  bool MinimizeToTray = true;
};

struct TTimerLayout {
  bool Enabled = false;
  std::uint32_t Interval = 1000;
};

struct TFormLayout {
  std::string Name;
  TFormDesc Window;
  std::vector<TControlLayout> Controls;  // parents before their children
  std::vector<TMenuItemLayout> Menu;  // PopupMenu1, top to bottom; its pictures from ImageList2
  TTrayIconLayout TrayIcon;  // SysTrayIcon1: IconList ImageList1, PopupMenu PopupMenu1
  TTimerLayout Timer;  // Timer1
};

const TFormLayout& Zerka2Remote2ConfigLayout();

// A button's picture: the two square halves of its glyph, the normal and the disabled image.
TButtonGlyphPtr GlyphImage(TGlyphKind kind);

// Creates the layout's controls on the form, owned by it and named as in the layout; each label
// names the field that follows it, and labels and check boxes get access keys.
void CreateLayoutControls(TCustomForm& form, const TFormLayout& layout);

}  // namespace zerka

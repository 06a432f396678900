#include "monitor/Unit1Resource.h"

#include <map>
#include <memory>

#include "base/Exception.h"
#include "base/Latin1.h"

namespace zerka {
namespace {

TControlLayout Plain(std::string name, TLayoutKind kind, std::string parent, TRect bounds, std::string caption,
                     int tabOrder = -1) {
  TControlLayout control;
  control.Name = std::move(name);
  control.Kind = kind;
  control.Parent = std::move(parent);
  control.Bounds = bounds;
  control.Caption = std::move(caption);
  control.TabOrder = tabOrder;
  return control;
}

TControlLayout Spin(std::string name, TRect bounds, std::string value, int tabOrder, std::int32_t minValue,
                    std::int32_t maxValue) {
  TControlLayout control = Plain(std::move(name), TLayoutKind::SpinEdit, "Panel1", bounds, std::move(value), tabOrder);
  control.MinValue = minValue;
  control.MaxValue = maxValue;
  return control;
}

TControlLayout Button(std::string name, TRect bounds, std::string caption, int tabOrder, TBitBtnKind kind,
                      TGlyphKind glyph) {
  TControlLayout control = Plain(std::move(name), TLayoutKind::BitBtn, "", bounds, std::move(caption), tabOrder);
  control.ButtonKind = kind;
  control.Glyph = glyph;
  return control;
}

TFormLayout MakeLayout() {
  TFormLayout layout;
  layout.Name = "Zerka2Remote2Config";
  layout.Window.Caption = "Zerka2Remote2Config";
  layout.Window.Bounds = {287, 129, 397, 512};
  layout.Window.Resizable = false;
  layout.Window.MinimizeBox = true;
  layout.Window.MaximizeBox = false;

  auto& c = layout.Controls;
  c.push_back(Plain("Aktiviert", TLayoutKind::CheckBox, "", {8, 8, 97, 17}, "Aktiviert", 0));
  TControlLayout panel = Plain("Panel1", TLayoutKind::Panel, "", {32, 32, 249, 249}, "", 1);
  panel.BevelOuter = TBevelCut::bvLowered;
  panel.BevelInner = TBevelCut::bvRaised;
  c.push_back(panel);
  c.push_back(Plain("GroupBox1", TLayoutKind::GroupBox, "", {32, 288, 353, 177}, "Ergebnisse", 2));
  c.push_back(Button("BitBtn3", {288, 112, 97, 25}, "S&chließen"_l1, 3, TBitBtnKind::bkClose, TGlyphKind::Close));
  TControlLayout cancel = Button("BitBtn2", {288, 40, 97, 25}, "Abbrechen", 4, TBitBtnKind::bkCustom, TGlyphKind::Cancel);
  cancel.Cancel = true;
  c.push_back(cancel);
  TControlLayout ok = Button("BitBtn1", {288, 8, 99, 25}, "OK", 5, TBitBtnKind::bkOK, TGlyphKind::Ok);
  ok.Default = true;
  c.push_back(ok);
  c.push_back(Button("BitBtn4", {312, 168, 75, 25}, "&Hilfe", 6, TBitBtnKind::bkHelp, TGlyphKind::Help));
  c.push_back(Button("BitBtn5", {288, 80, 99, 25}, "Übernehmen"_l1, 8, TBitBtnKind::bkCustom, TGlyphKind::Apply));
  c.push_back(Plain("BalloonInfo", TLayoutKind::CheckBox, "", {32, 472, 225, 17},
                    "Balloon-Hint bei Statusänderung"_l1, 9));
  c.push_back(Plain("StatusBar1", TLayoutKind::StatusBar, "", {0, 493, 397, 19}, ""));

  c.push_back(Plain("Label1", TLayoutKind::Label, "Panel1", {8, 16, 63, 13}, "Proxy-Server:"));
  c.push_back(Plain("ProxyHost", TLayoutKind::Edit, "Panel1", {32, 32, 121, 21}, "", 2));
  c.push_back(Plain("Label2", TLayoutKind::Label, "Panel1", {8, 56, 22, 13}, "Port:"));
  c.push_back(Spin("ProxyPort", {32, 72, 121, 22}, "1", 0, 1, 65535));
  c.push_back(Plain("Label3", TLayoutKind::Label, "Panel1", {8, 104, 96, 13}, "Abfrageinterval (ms):"));
  c.push_back(Spin("Abfrageinterval", {32, 120, 121, 22}, "1000", 1, 50, 600000));
  c.push_back(Plain("Label10", TLayoutKind::Label, "Panel1", {8, 160, 155, 13}, "HTTP-Benutzername (leer=kein):"));
  c.push_back(Plain("httpBenutzername", TLayoutKind::Edit, "Panel1", {32, 176, 121, 21}, "", 3));
  c.push_back(Plain("Label11", TLayoutKind::Label, "Panel1", {8, 200, 78, 13}, "HTTP-Passwort:"));
  c.push_back(Plain("httpPasswort", TLayoutKind::PasswordEdit, "Panel1", {32, 216, 121, 21}, "", 4));

  struct TResultRow {
    int Top;
    const char* Label;
    std::string LabelCaption;
    int LabelWidth;
    const char* Edit;
    std::string InitialText;
  };
  const TResultRow rows[] = {
      {24, "Label4", "Internet Verb.", 64, "Internetverbindungen", "Internet Verbindungen?"},
      {48, "Label5", "Status:", 33, "Status", "Status?"},
      {72, "Label6", "DFÜ gesperrt"_l1, 63, "DFUEGesperrt", "DFÜ gesperrt?"_l1},
      {96, "Label7", "Zeit bis Auflegen", 79, "Zeitbisauflegen", "Zeit bis zum Auflegen?"},
      {120, "Label8", "DFÜ-IP"_l1, 35, "DFUEIP", "DFÜ-IP?"_l1},
      {144, "Label9", "Online-Zeit", 51, "Onlinezeit", "Online-Zeit?"},
  };
  int tab = 0;
  for (const TResultRow& row : rows) {
    c.push_back(Plain(row.Label, TLayoutKind::Label, "GroupBox1", {8, row.Top, row.LabelWidth, 13}, row.LabelCaption));
    c.push_back(Plain(row.Edit, TLayoutKind::Edit, "GroupBox1", {96, row.Top, 241, 21}, row.InitialText, tab++));
  }

  layout.Menu = {
      {"Einstellungen1", "Zerka2 Remote - Einstellungen...", 0},
      {"N4", "-", -1},
      {"Zerka2beenden1", "Zerka2 beenden", -1},
      {"Zerka2neustarten1", "Zerka2 neustarten", -1},
      {"Zerka2Einstellungen1", "Zerka2 - Einstellungen...", -1},
      {"N3", "-", -1},
      {"IPindieZwischenablagekopieren1", "IP in die Zwischenablage kopieren", -1},
      {"N1", "-", -1},
      {"LogOut1", "Logout", 4},
      {"Mailsabholen1", "Mails abholen", 2},
      {"Df1", "DFÜ sperren / entsperren"_l1, 3},
      {"N2", "-", -1},
      {"Ende1", "Ende", 1},
  };
  return layout;
}

TControl* NewControl(TCustomForm& form, TControl* parent, const TControlLayout& entry) {
  switch (entry.Kind) {
    case TLayoutKind::CheckBox:
      return new TCheckBox(&form, parent);
    case TLayoutKind::Panel: {
      auto* panel = new TPanel(&form, parent);
      panel->BevelOuter = entry.BevelOuter;
      panel->BevelInner = entry.BevelInner;
      return panel;
    }
    case TLayoutKind::GroupBox:
      return new TGroupBox(&form, parent);
    case TLayoutKind::BitBtn: {
      auto* button = new TBitBtn(&form, parent);
      button->BtnKind = entry.ButtonKind;
      if (entry.Glyph) button->SetGlyph(GlyphImage(*entry.Glyph));
      button->SetDefault(entry.Default);
      button->SetCancel(entry.Cancel);
      return button;
    }
    case TLayoutKind::Label:
      return new TLabel(&form, parent);
    case TLayoutKind::Edit:
      return new TEdit(&form, parent);
    case TLayoutKind::PasswordEdit: {
      auto* edit = new TEdit(&form, parent);
      edit->SetPasswordChar('*');
      return edit;
    }
    case TLayoutKind::SpinEdit: {
      auto* spin = new TSpinEdit(&form, parent);
      spin->SetRange(entry.MinValue, entry.MaxValue);
      return spin;
    }
    case TLayoutKind::StatusBar:
      return new TStatusBar(&form, parent);
  }
  throw Exception("Unbekannte Steuerelementart für "_l1 + entry.Name);
}

}  // namespace

const TFormLayout& Zerka2Remote2ConfigLayout() {
  static const TFormLayout layout = MakeLayout();
  return layout;
}

TButtonGlyphPtr GlyphImage(TGlyphKind kind) {
  const TPicture& strip = ButtonGlyph(kind);
  const int side = strip.Height;
  const auto half = [&](int left) {
    TPicture image;
    image.Width = side;
    image.Height = side;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        image.Colors.push_back(strip.ColorAt(left + x, y));
        image.Transparent.push_back(strip.TransparentAt(left + x, y));
      }
    }
    return image;
  };
  return std::make_shared<const TButtonGlyph>(TButtonGlyph{half(0), half(side)});
}

void CreateLayoutControls(TCustomForm& form, const TFormLayout& layout) {
  std::map<std::string, TControl*> made;
  for (const TControlLayout& entry : layout.Controls) {
    TControl* parent = nullptr;
    if (!entry.Parent.empty()) {
      auto found = made.find(entry.Parent);
      if (found == made.end()) throw Exception("Elternelement " + entry.Parent + " fehlt für "_l1 + entry.Name);
      parent = found->second;
    }
    TControl* control = NewControl(form, parent, entry);
    control->Name = entry.Name;
    control->SetBounds(entry.Bounds);
    control->SetTabOrder(entry.TabOrder);
    control->SetText(entry.Caption);
    made[entry.Name] = control;
  }
  // Each label stands right before the field it names, in the same container.
  TLabel* pending = nullptr;
  for (const TControlLayout& entry : layout.Controls) {
    TControl* control = made[entry.Name];
    if (pending && control->Parent() == pending->Parent() && control->TabOrder() >= 0) {
      pending->SetFocusControl(control);
    }
    pending = dynamic_cast<TLabel*>(control);
  }
  ChooseAccessKeys(form);
}

}  // namespace zerka

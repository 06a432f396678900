#include "framework/Controls.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <utility>

#include "framework/MessageWindow.h"

namespace zerka {
namespace {

bool IsContainer(const TControl& control) {
  return control.Kind() == TControlKind::Panel || control.Kind() == TControlKind::GroupBox;
}

std::vector<TControl*> ControlsOf(const TCustomForm& form) {
  std::vector<TControl*> controls;
  for (TComponent* component : form.Components()) {
    if (auto* control = dynamic_cast<TControl*>(component)) controls.push_back(control);
  }
  return controls;
}

void AppendTabSequence(const std::vector<TControl*>& all, const TControl* parent, std::vector<TControl*>& out) {
  std::vector<TControl*> children;
  for (TControl* control : all) {
    if (control->Parent() == parent && control->TabOrder() >= 0) children.push_back(control);
  }
  std::stable_sort(children.begin(), children.end(),
                   [](const TControl* a, const TControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TControl* child : children) {
    if (IsContainer(*child)) {
      AppendTabSequence(all, child, out);
    } else {
      out.push_back(child);
    }
  }
}

// Decimal text with optional blanks around it and a sign; beyond 32 bits it saturates.
bool ParseWholeNumber(const std::string& text, std::int64_t& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t firstDigit = i;
  std::int64_t magnitude = 0;
  constexpr std::int64_t kCap = std::int64_t{1} << 40;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    magnitude = std::min(kCap, magnitude * 10 + (text[i++] - '0'));
  }
  if (i == firstDigit) return false;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size()) return false;
  value = negative ? -magnitude : magnitude;
  return true;
}

char DecimalSeparator() {
  const std::lconv* conventions = std::localeconv();
  return conventions && conventions->decimal_point && conventions->decimal_point[0]
             ? conventions->decimal_point[0]
             : '.';
}

}  // namespace

// --- TControl

TControl::TControl(TCustomForm* form, TControl* parent, TControlKind kind)
    : TComponent(form), form_(form), parent_(parent) {
  desc_.Kind = kind;
}

TControl::~TControl() { DestroyPeer(); }

bool TControl::PeerHoldsText() const {
  const TControlKind kind = desc_.Kind;
  return handle_ && (kind == TControlKind::Edit || kind == TControlKind::PasswordEdit || kind == TControlKind::SpinEdit);
}

std::string TControl::Text() const { return PeerHoldsText() ? Platform().Windows().GetText(handle_) : desc_.Text; }

void TControl::SetText(const std::string& text) {
  if (Text() == text) return;
  desc_.Text = text;
  if (handle_) Platform().Windows().SetText(handle_, ShownText());
}

char TControl::AccessKey() const {
  const std::string& caption = desc_.Text;
  if (accessKeyAt_ >= 0 && static_cast<std::size_t>(accessKeyAt_) < caption.size()) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[static_cast<std::size_t>(accessKeyAt_)])));
  }
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    ++i;
  }
  return 0;
}

void TControl::SetAccessKeyAt(int position) {
  accessKeyAt_ = position;
  if (handle_) Platform().Windows().SetText(handle_, ShownText());
}

std::string TControl::ShownText() const {
  std::string shown = desc_.Text;
  if (accessKeyAt_ >= 0 && static_cast<std::size_t>(accessKeyAt_) < shown.size()) {
    shown.insert(static_cast<std::size_t>(accessKeyAt_), 1, '&');
  }
  return shown;
}

void TControl::SetEnabled(bool enabled) {
  desc_.Enabled = enabled;
  if (handle_) Platform().Windows().SetEnabled(handle_, enabled);
}

void TControl::Realise() {
  if (handle_) return;
  TWindowHandle parentHandle = 0;
  if (parent_) {
    parent_->Realise();
    parentHandle = parent_->Handle();
  } else {
    parentHandle = form_->Handle();
  }
  TControlDesc shown = desc_;
  shown.Text = ShownText();
  handle_ = Platform().Windows().CreateControl(
      parentHandle, shown, GuardHandler([this](TMessage& message) { return WndProc(message); }));
}

void TControl::DestroyPeer() {
  if (!handle_) return;
  if (PeerHoldsText()) desc_.Text = Platform().Windows().GetText(handle_);
  Platform().Windows().DestroyWindow(std::exchange(handle_, 0));
}

bool TControl::WndProc(TMessage&) { return false; }

// --- TCheckBox

bool TCheckBox::Checked() const { return Handle() ? Platform().Windows().GetChecked(Handle()) : checked_; }

void TCheckBox::SetChecked(bool checked) {
  checked_ = checked;
  if (Handle()) Platform().Windows().SetChecked(Handle(), checked);
}

// --- TEdit

void TEdit::SetPasswordChar(char passwordChar) {
  Desc().Kind = passwordChar ? TControlKind::PasswordEdit : TControlKind::Edit;
}

// --- TSpinEdit

void TSpinEdit::SetRange(std::int32_t minValue, std::int32_t maxValue) {
  Desc().MinValue = minValue;
  Desc().MaxValue = maxValue;
}

std::int32_t TSpinEdit::Bounded(std::int64_t value) const {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, MinValue(), MaxValue()));
}

std::int32_t TSpinEdit::Value() const {
  std::int64_t value = 0;
  return ParseWholeNumber(Text(), value) ? Bounded(value) : MinValue();
}

void TSpinEdit::SetValue(std::int32_t value) { SetText(std::to_string(Bounded(value))); }

bool TSpinEdit::KeyPress(char key) {
  const auto code = static_cast<unsigned char>(key);
  const bool passes = std::isdigit(code) || key == '+' || key == '-' || key == DecimalSeparator() ||
                      (code < 0x20 && code != control_msg::VkReturn);
  if (!passes) Platform().Input().Beep();
  return passes;
}

void TSpinEdit::FocusLeft() {
  std::int64_t value = 0;
  if (ParseWholeNumber(Text(), value) && Bounded(value) != value) SetValue(Bounded(value));
}

bool TSpinEdit::WndProc(TMessage& message) {
  switch (message.Msg) {
    case control_msg::Char:
      return !KeyPress(static_cast<char>(message.WParam));
    case control_msg::KeyDown:
      if (message.WParam == control_msg::VkUp) {
        StepUp();
        return true;
      }
      if (message.WParam == control_msg::VkDown) {
        StepDown();
        return true;
      }
      return false;
    case control_msg::KillFocus:
      FocusLeft();
      return false;
    default:
      return false;
  }
}

// --- TBitBtn

void TBitBtn::Click() {
  if (!Enabled()) return;
  if (BtnKind == TBitBtnKind::bkClose) {
    Form()->Close();
    return;
  }
  if (OnClick) OnClick(this);
}

bool TBitBtn::WndProc(TMessage& message) {
  if (message.Msg != msg::Command || message.WParam != control_notify::Clicked) return false;
  Click();
  return true;
}

// --- the form's controls

std::vector<TControl*> TabSequence(const TCustomForm& form) {
  std::vector<TControl*> sequence;
  AppendTabSequence(ControlsOf(form), nullptr, sequence);
  return sequence;
}

// The position of the caption's first letter that is not yet a key, word beginnings first; -1
// when every letter is taken.
int FreeAccessKeyAt(const std::string& caption, const std::string& taken) {
  const auto isKeyLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  // Umlauts belong to their word but make no keys: Alt with them is not on every keyboard.
  const auto isLetter = [&](char c) { return isKeyLetter(c) || static_cast<unsigned char>(c) >= 0xC0; };
  const auto isFree = [&](std::size_t i) {
    return isKeyLetter(caption[i]) &&
           taken.find(static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i])))) == std::string::npos;
  };
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const bool wordStarts = i == 0 || !isLetter(caption[i - 1]);
    if (wordStarts && isFree(i)) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (isFree(i)) return static_cast<int>(i);
  }
  return -1;
}

void ChooseAccessKeys(TCustomForm& form) {
  const std::vector<TControl*> controls = ControlsOf(form);
  std::string taken;
  for (const TControl* control : controls) {
    if (control->AccessKey()) taken += control->AccessKey();
  }
  for (TControl* control : TabSequence(form)) {
    TControl* captioned = control->Kind() == TControlKind::CheckBox ? control : nullptr;
    for (TControl* other : controls) {
      const auto* label = dynamic_cast<TLabel*>(other);
      if (label && label->FocusControl() == control) captioned = other;
    }
    if (!captioned || captioned->AccessKey()) continue;
    const int position = FreeAccessKeyAt(captioned->Text(), taken);
    if (position < 0) continue;
    captioned->SetAccessKeyAt(position);
    taken += captioned->AccessKey();
  }
}

void RealiseControls(TCustomForm& form) {
  form.Handle();
  const std::vector<TControl*> controls = ControlsOf(form);
  for (TControl* control : controls) control->Realise();
  for (TControl* control : controls) {
    const auto* label = dynamic_cast<TLabel*>(control);
    if (label && label->FocusControl() && label->FocusControl()->Handle()) {
      Platform().Windows().SetLabelFor(label->Handle(), label->FocusControl()->Handle());
    }
  }
}

void DestroyControlPeers(TCustomForm& form) {
  std::vector<TControl*> remaining = ControlsOf(form);
  while (!remaining.empty()) {
    // A control whose realised children are gone may go itself.
    for (TControl* control : remaining) {
      const bool hasLiveChild = std::any_of(remaining.begin(), remaining.end(), [control](const TControl* other) {
        return other->Parent() == control && other->Handle();
      });
      if (!hasLiveChild) control->DestroyPeer();
    }
    std::erase_if(remaining, [](const TControl* control) { return !control->Handle(); });
  }
}

bool PressDialogKey(TCustomForm& form, TDialogKey key, TControl* focused) {
  if (key == TDialogKey::Enter) {
    if (auto* button = dynamic_cast<TBitBtn*>(focused)) {
      button->Click();
      return true;
    }
  }
  for (TControl* control : ControlsOf(form)) {
    auto* button = dynamic_cast<TBitBtn*>(control);
    if (!button) continue;
    if ((key == TDialogKey::Enter && button->Default()) || (key == TDialogKey::Escape && button->Cancel())) {
      button->Click();
      return true;
    }
  }
  return false;
}

bool PressAccessKey(TCustomForm& form, char letter) {
  const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (TControl* control : ControlsOf(form)) {
    if (control->AccessKey() != wanted || !control->Enabled()) continue;
    if (auto* button = dynamic_cast<TBitBtn*>(control)) {
      button->Click();
    } else if (auto* box = dynamic_cast<TCheckBox*>(control)) {
      if (box->Handle()) Platform().Windows().SetFocus(box->Handle());
      box->SetChecked(!box->Checked());
    } else if (auto* label = dynamic_cast<TLabel*>(control); label && label->FocusControl()) {
      if (label->FocusControl()->Handle()) Platform().Windows().SetFocus(label->FocusControl()->Handle());
    } else {
      continue;
    }
    return true;
  }
  return false;
}

}  // namespace zerka

#pragma once
// The controls of a form as model objects. Each keeps its own state and, once realised,
// mirrors it into a platform peer made through the window port; while a peer exists the
// peer's text and check state are the truth (the user edits them there).
//
// A control's parent is its form or a container control (panel, group box). Controls are
// realised parents first; RealiseControls does that for a whole form.

#include <cstdint>
#include <string>
#include <vector>

#include "base/Component.h"
#include "framework/Form.h"
#include "framework/Platform.h"

namespace zerka {

// Messages a control's peer hands to the model besides msg::Command.
namespace control_msg {
inline constexpr std::uint32_t KillFocus = 8;
inline constexpr std::uint32_t KeyDown = 0x100;
inline constexpr std::uint32_t Char = 0x102;
inline constexpr std::uintptr_t VkReturn = 0x0D;
inline constexpr std::uintptr_t VkUp = 0x26;
inline constexpr std::uintptr_t VkDown = 0x28;
}  // namespace control_msg

class TControl : public TComponent {
 public:
  // parent is the container control; nullptr places the control on the form itself.
  TControl(TCustomForm* form, TControl* parent, TControlKind kind);
  ~TControl() override;

  TCustomForm* Form() const { return form_; }
  TControl* Parent() const { return parent_; }
  TControlKind Kind() const { return desc_.Kind; }

  TRect Bounds() const { return desc_.Bounds; }
  void SetBounds(TRect bounds) { desc_.Bounds = bounds; }
  // -1 for a control that takes no focus.
  int TabOrder() const { return desc_.TabOrder; }
  void SetTabOrder(int tabOrder) { desc_.TabOrder = tabOrder; }
  bool Enabled() const { return desc_.Enabled; }
  void SetEnabled(bool enabled);

  // Caption of labels, buttons, check boxes and group boxes; text of edit fields; the simple
  // text of a status bar. The peer is written only when the text changes, so that a focused
  // field keeps its caret and selection and a screen reader hears of real changes only.
  std::string Text() const;
  void SetText(const std::string& text);

  // The upper-case letter that Alt presses, or 0: the one after an "&" in the caption, or the
  // caption's letter at the position given to SetAccessKeyAt (which the peer shows underlined,
  // the caption itself unchanged).
  char AccessKey() const;
  void SetAccessKeyAt(int position);

  TWindowHandle Handle() const { return handle_; }
  // Makes the peer inside the parent's peer (the parent is realised first).
  void Realise();
  void DestroyPeer();

 protected:
  // The peer's messages; false hands a message to the peer's own processing.
  virtual bool WndProc(TMessage& message);
  TControlDesc& Desc() { return desc_; }
  const TControlDesc& Desc() const { return desc_; }

 private:
  bool PeerHoldsText() const;
  // The caption as the peer shows it: "&" before the access key's letter.
  std::string ShownText() const;

  TCustomForm* form_;
  TControl* parent_;
  TControlDesc desc_;
  TWindowHandle handle_ = 0;
  int accessKeyAt_ = -1;
};

// A caption; the field it names (FocusControl) takes the focus for its access key, and a
// screen reader names the field by it.
class TLabel : public TControl {
 public:
  TLabel(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::Label) {}
  TControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TControl* control) { focusControl_ = control; }

 private:
  TControl* focusControl_ = nullptr;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TControl {
 public:
  TPanel(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::Panel) {}
  TBevelCut BevelOuter = TBevelCut::bvRaised;
  TBevelCut BevelInner = TBevelCut::bvNone;
};

class TGroupBox : public TControl {
 public:
  TGroupBox(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::GroupBox) {}
};

class TStatusBar : public TControl {
 public:
  TStatusBar(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::StatusBar) {}
  std::string SimpleText() const { return Text(); }
  void SetSimpleText(const std::string& text) { SetText(text); }
};

class TCheckBox : public TControl {
 public:
  TCheckBox(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::CheckBox) {}
  bool Checked() const;
  void SetChecked(bool checked);

 private:
  bool checked_ = false;
};

class TEdit : public TControl {
 public:
  TEdit(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::Edit) {}
  // '*' shows that character for each one typed; 0 shows the text.
  char PasswordChar() const { return Kind() == TControlKind::PasswordEdit ? '*' : '\0'; }
  void SetPasswordChar(char passwordChar);

 protected:
  TEdit(TCustomForm* form, TControl* parent, TControlKind kind) : TControl(form, parent, kind) {}
};

// An edit field for a whole number within MinValue..MaxValue, with up and down buttons.
class TSpinEdit : public TEdit {
 public:
  TSpinEdit(TCustomForm* form, TControl* parent) : TEdit(form, parent, TControlKind::SpinEdit) {}

  std::int32_t MinValue() const { return Desc().MinValue; }
  std::int32_t MaxValue() const { return Desc().MaxValue; }
  void SetRange(std::int32_t minValue, std::int32_t maxValue);

  // The text as a whole number held within the range; the lower bound when it is none.
  std::int32_t Value() const;
  // Shows the value held within the range.
  void SetValue(std::int32_t value);

  // A typed character: digits, '+', '-', the decimal separator and control characters other
  // than Enter pass; any other is refused with a beep. True when it passes.
  bool KeyPress(char key);
  // The up and down keys and buttons.
  void StepUp() { SetValue(Bounded(static_cast<std::int64_t>(Value()) + 1)); }
  void StepDown() { SetValue(Bounded(static_cast<std::int64_t>(Value()) - 1)); }
  // The focus leaves: a number outside the range shows the nearest bound.
  void FocusLeft();

 protected:
  bool WndProc(TMessage& message) override;

 private:
  std::int32_t Bounded(std::int64_t value) const;
};

enum class TBitBtnKind { bkCustom, bkOK, bkClose, bkHelp };

// A push button with a picture left of its caption. An "&" in the caption marks the next
// letter as the access key.
class TBitBtn : public TControl {
 public:
  TBitBtn(TCustomForm* form, TControl* parent) : TControl(form, parent, TControlKind::Button) {}

  TBitBtnKind BtnKind = TBitBtnKind::bkCustom;
  TNotifyEvent OnClick;

  const TButtonGlyphPtr& Glyph() const { return Desc().Glyph; }
  void SetGlyph(TButtonGlyphPtr glyph) { Desc().Glyph = std::move(glyph); }
  bool Default() const { return Desc().Default; }
  void SetDefault(bool value) { Desc().Default = value; }
  bool Cancel() const { return Desc().Cancel; }
  void SetCancel(bool value) { Desc().Cancel = value; }

  // A press: a Close-kind button closes its form instead of raising OnClick; a disabled
  // button does nothing.
  void Click();

 protected:
  bool WndProc(TMessage& message) override;
};

// The form's controls in the order Tab visits them: by tab order within each parent, a
// container's controls right after the container. Controls without a tab order are left out.
std::vector<TControl*> TabSequence(const TCustomForm& form);

// Gives each label that names a field, and each check box, an access key of its own caption:
// the first letter of one of its words that no control has yet, else any such letter of it;
// the keys the captions already carry stay. Visited in tab order.
void ChooseAccessKeys(TCustomForm& form);

// Realises every control owned by the form, parents before their children, and tells the
// platform which label names which field.
void RealiseControls(TCustomForm& form);
// Destroys every peer, children before their parents; the form's own window stays.
void DestroyControlPeers(TCustomForm& form);

enum class TDialogKey { Enter, Escape };

// Enter presses the focused button, or else the form's default button; Escape presses the
// cancel button. False when there was no button to press.
bool PressDialogKey(TCustomForm& form, TDialogKey key, TControl* focused);
// Alt with a letter: presses the button whose access key it is, toggles such a check box, or
// focuses the field that such a label names. False when no control has the key.
bool PressAccessKey(TCustomForm& form, char letter);

}  // namespace zerka

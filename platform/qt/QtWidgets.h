#pragma once
// The widgets behind forms and controls:
//  [x] forms: fixed client size at the given screen position, title-bar buttons as asked
//      (no maximise), the button-face background, the dialog font on everything
//  [x] check box, edit, password edit ("*" for each character), spin edit (an edit with a
//      pair of 15-pixel arrow buttons at its right end), picture button ("&" access keys,
//      its picture left of the caption, the disabled one while disabled), label (as wide as its caption), panel (lowered
//      outer and raised inner bevel), group box, status bar (one sunken text area)
//  [x] typed characters, the arrow keys and leaving the field go to an edit's handler first
//      (control_msg::Char, KeyDown, KillFocus), which may refuse them
//  [x] a click, a check box's toggle and a changed text reach the handler as msg::Command

#include <QFont>
#include <QLineEdit>
#include <QWidget>

#include <string>

#include "framework/Platform.h"

namespace zerka::qt {

class TQtDesktop;

// The closest sans-serif to the layout's "MS Sans Serif" 8 pt (11 pixels high at 96 dpi):
// Liberation Sans on Linux (Debian's fonts-liberation).
QFont DialogFont();

QWidget* MakeFormWidget(const TFormDesc& desc, TQtDesktop& desktop, TWindowHandle handle);

struct TControlWidgets {
  QWidget* Outer = nullptr;
  QLineEdit* Edit = nullptr;
};
TControlWidgets MakeControlWidget(QWidget* parent, const TControlDesc& desc, TQtDesktop& desktop,
                                  TWindowHandle handle);

void SetControlText(QWidget* outer, QLineEdit* edit, TControlKind kind, const std::string& text);
std::string ControlText(QWidget* outer, QLineEdit* edit, TControlKind kind);

}  // namespace zerka::qt

#pragma once
// Message boxes (QMessageBox) and popup menus (QMenu), each running Qt's own modal loop, in
// which timers, posted messages and tray callbacks go on as usual.
//  [x] OK, OK/Cancel and Yes/No boxes with no, stop, question, warning or information icon;
//      plain text, CR LF as line breaks; Escape or the close box answer Cancel (or No, or OK
//      for a box with one button)
//  [x] German buttons whatever Qt's language; a box asked for by the application window
//      belongs to the active window, whose focused control has the keyboard again afterwards
//  [x] menus at a screen position with pictures, separators ("-"), bold default items,
//      disabled and checked items; the chosen entry's index or -1

#include "framework/Platform.h"

namespace zerka::qt {

class TQtDesktop;

class TQtDialogs : public IDialogPort {
 public:
  explicit TQtDialogs(TQtDesktop& desktop) : desktop_(desktop) {}

  TModalResult ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption,
                              TMsgButtons buttons, TMsgIcon icon) override;
  int TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos, TWindowHandle owner) override;

 private:
  TQtDesktop& desktop_;
};

}  // namespace zerka::qt

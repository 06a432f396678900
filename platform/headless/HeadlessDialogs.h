#pragma once
// Headless message boxes and popup menus: each one shown is recorded, and answered from a
// script. While "open" it runs the queued messages, as a modal loop would, and then the
// script entry's own action (which may move the clock or play further user actions).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/Platform.h"

namespace zerka::headless {

class THeadlessLoop;

struct TShownMessageBox {
  TWindowHandle Owner;
  std::string Text;
  std::string Caption;
  TMsgButtons Buttons;
  TMsgIcon Icon;
};

struct TShownMenu {
  std::vector<TPopupEntry> Entries;
  TPoint Position;
  TWindowHandle Owner;
};

struct TScriptedAnswer {
  // The button pressed (message box) or the entry chosen, -1 for none (menu).
  int Answer = 0;
  std::function<void()> WhileOpen;
};

class THeadlessDialogs : public IDialogPort {
 public:
  explicit THeadlessDialogs(THeadlessLoop& loop) : loop_(loop) {}

  TModalResult ShowMessageBox(TWindowHandle owner, const std::string& text, const std::string& caption,
                              TMsgButtons buttons, TMsgIcon icon) override;
  int TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos, TWindowHandle owner) override;

  // --- for tests
  void AnswerMessageBox(TModalResult result, std::function<void()> whileOpen = {});
  void AnswerMenu(int choice, std::function<void()> whileOpen = {});
  std::vector<TShownMessageBox> MessageBoxes;
  std::vector<TShownMenu> Menus;
  // Unscripted boxes are answered with their first button; unscripted menus are dismissed.
  std::deque<TScriptedAnswer> MessageBoxScript;
  std::deque<TScriptedAnswer> MenuScript;

 private:
  int RunModal(std::deque<TScriptedAnswer>& script, int unscripted);

  THeadlessLoop& loop_;
};

}  // namespace zerka::headless

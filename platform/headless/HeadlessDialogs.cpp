#include "platform/headless/HeadlessDialogs.h"

#include "platform/headless/HeadlessLoop.h"

namespace zerka::headless {

void THeadlessDialogs::AnswerMessageBox(TModalResult result, std::function<void()> whileOpen) {
  MessageBoxScript.push_back({static_cast<int>(result), std::move(whileOpen)});
}

void THeadlessDialogs::AnswerMenu(int choice, std::function<void()> whileOpen) {
  MenuScript.push_back({choice, std::move(whileOpen)});
}

int THeadlessDialogs::RunModal(std::deque<TScriptedAnswer>& script, int unscripted) {
  loop_.DispatchPending();
  if (script.empty()) return unscripted;
  TScriptedAnswer answer = std::move(script.front());
  script.pop_front();
  if (answer.WhileOpen) {
    answer.WhileOpen();
    loop_.DispatchPending();
  }
  return answer.Answer;
}

TModalResult THeadlessDialogs::ShowMessageBox(TWindowHandle owner, const std::string& text,
                                              const std::string& caption, TMsgButtons buttons,
                                              TMsgIcon icon) {
  MessageBoxes.push_back({owner, text, caption, buttons, icon});
  const TModalResult first = buttons == TMsgButtons::YesNo ? TModalResult::Yes : TModalResult::OK;
  return static_cast<TModalResult>(RunModal(MessageBoxScript, static_cast<int>(first)));
}

int THeadlessDialogs::TrackPopupMenu(const std::vector<TPopupEntry>& entries, TPoint screenPos,
                                     TWindowHandle owner) {
  Menus.push_back({entries, screenPos, owner});
  return RunModal(MenuScript, -1);
}

}  // namespace zerka::headless

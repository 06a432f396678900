#include "tools/Watch.h"

#include <optional>
#include <string>

#include "remote/LineStatusText.h"
#include "tools/ConsoleText.h"
#include "tools/StatusJson.h"
#include "tools/Zerka2Ctl.h"

namespace zerka {
namespace {

class Watcher {
 public:
  Watcher(const WatchOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  void Show(const PollResult& poll) {
    if (!poll.Errors.empty()) {
      ShowFailure(poll);
      return;
    }
    ShowServerMessage(poll.ServerMessage);
    const bool recovered = failing_;
    if (recovered) {
      failing_ = false;
      Note("wieder erreichbar");
    }
    if (recovered || !shown_ || Changed(*shown_, *poll.Status)) ShowStatus(*poll.Status);
  }

 private:
  // The window raises its balloon on a change of either text; a JSON reader also wants the
  // numbers.
  bool Changed(const ServerStatus& before, const ServerStatus& now) const {
    if (options_.Json) return before != now;
    return LineStateText(before.LineState) != LineStateText(now.LineState) ||
           LockStateText(before.LockState) != LockStateText(now.LockState);
  }

  void ShowStatus(const ServerStatus& status) {
    out_ << (options_.Json ? StatusJson(status) : ConsoleText(TrayTip(status))) << '\n' << std::flush;
    shown_ = status;
  }

  // Once when the failures begin; the polls go on.
  void ShowFailure(const PollResult& poll) {
    if (failing_) return;
    failing_ = true;
    if (options_.Json) out_ << ErrorJson(poll.Errors.front()) << '\n' << std::flush;
    for (const std::string& error : poll.Errors) err_ << ConsoleText(error) << '\n';
    err_ << std::flush;
  }

  // A server that answers with the same message on every poll shows it once; in JSON it goes
  // to standard error, so that standard output stays one object per line.
  void ShowServerMessage(const std::optional<std::string>& message) {
    if (message && message != lastMessage_) Note(*message);
    lastMessage_ = message;
  }

  void Note(const std::string& latin1) {
    std::ostream& stream = options_.Json ? err_ : out_;
    stream << ConsoleText(latin1) << '\n' << std::flush;
  }

  const WatchOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::optional<ServerStatus> shown_;
  std::optional<std::string> lastMessage_;
  bool failing_ = false;
};

}  // namespace

int Watch(StatusPoller& poller, const WatchOptions& options, IntervalWait& wait, std::ostream& out,
          std::ostream& err) {
  Watcher watcher(options, out, err);
  do {
    watcher.Show(poller.Poll());
    // Nobody reads any more (a closed pipe where the write does not end the program).
    if (!out) return ExitReported;
  } while (!wait.StopRequestedWithin(options.Interval));
  return 0;
}

}  // namespace zerka

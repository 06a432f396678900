#include "tools/Watch.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "remote/LineStatusText.h"
#include "tools/ConsoleText.h"
#include "tools/StatusJson.h"
#include "tools/Timestamp.h"

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
    ShowServerMessage(poll.StaleBecause());
    const bool recovered = failing_;
    if (recovered) {
      failing_ = false;
      // Beside the error it ends, so a reader of one stream sees both; in JSON the status
      // object after the error object says it.
      if (!options_.Json) Write(err_, "wieder erreichbar");
    }
    if (options_.Json) {
      const std::string json = PollJson(poll);
      if (recovered || json != shownJson_) Write(out_, PollJson(poll, Time()), false);
      shownJson_ = json;
    } else if (recovered || !shown_ || Changed(*shown_, *poll.Status)) {
      Write(out_, ConsoleText(TrayTip(*poll.Status)));
      shown_ = *poll.Status;
    }
  }

 private:
  // The window raises its balloon on a change of either text.
  static bool Changed(const ServerStatus& before, const ServerStatus& now) {
    return LineStateText(before.LineState) != LineStateText(now.LineState) ||
           LockStateText(before.LockState) != LockStateText(now.LockState);
  }

  // Once when the failures begin; the polls go on. In JSON standard output holds one object
  // per line and standard error stays quiet, for readers that merge the two.
  void ShowFailure(const PollResult& poll) {
    if (failing_) return;
    failing_ = true;
    if (options_.Json) {
      Write(out_, ErrorJson(poll.Errors.front(), Time()), false);
    } else {
      for (const std::string& error : poll.Errors) Write(err_, ConsoleUtf8(error));
    }
  }

  // A server that answers with the same message on every poll shows it once; in JSON it is
  // the object's "message".
  void ShowServerMessage(const std::optional<std::string>& message) {
    if (message && message != lastMessage_ && !options_.Json) Write(out_, ConsoleUtf8(*message));
    lastMessage_ = message;
  }

  std::string Time() const {
    return options_.Timestamps ? IsoLocalTime(std::chrono::system_clock::now()) : std::string();
  }

  // Each line flushed at once; with --timestamps each text line after the time.
  void Write(std::ostream& stream, const std::string& text, bool stamped = true) {
    const std::string time = stamped ? Time() : std::string();
    std::string lines;
    std::size_t begin = 0;
    while (begin <= text.size()) {
      const auto end = text.find('\n', begin);
      const std::string line = text.substr(begin, end == std::string::npos ? end : end - begin);
      lines += (time.empty() ? "" : time + " ") + line + "\n";
      if (end == std::string::npos) break;
      begin = end + 1;
    }
    stream << lines << std::flush;
  }

  const WatchOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::optional<ServerStatus> shown_;
  std::string shownJson_;
  std::optional<std::string> lastMessage_;
  bool failing_ = false;
};

}  // namespace

int Watch(StatusPoller& poller, const WatchOptions& options, IntervalWait& wait, std::ostream& out,
          std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  Watcher watcher(options, out, err);
  auto due = Clock::now();
  std::chrono::milliseconds pause{};
  do {
    const PollResult poll = poller.Poll();
    // A poll cut short by the stop may report the cut; the user asked for the end.
    if (wait.StopPending()) break;
    watcher.Show(poll);
    // Nobody reads any more: a closed pipe, written to without the signal that would end
    // the program.
    if (!out) break;
    // Each poll is due one interval after the one before. A late one is followed by the next
    // at once, and the schedule goes on from there rather than catching up with a burst.
    const auto now = Clock::now();
    due = std::clamp(due + options.Interval, now, now + options.Interval);
    pause = std::chrono::ceil<std::chrono::milliseconds>(due - now);
  } while (!wait.StopRequestedWithin(pause));
  return 0;
}

}  // namespace zerka

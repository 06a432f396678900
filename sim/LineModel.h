#pragma once
// The simulated dial-up line. It keeps only the moments at which things happened and works
// out its state from the clock whenever it is asked, so no timers are needed: a dial-up
// completes, and an idle line hangs up, as soon as enough time has passed on the clock.

#include <chrono>
#include <cstdint>
#include <string>

#include "sim/Clock.h"

namespace zerka::sim {

// The line state byte of datagram query 2.
enum class LineState : std::uint8_t {
  NotConnected = 0,
  Connected = 1,
  AttemptFailed = 2,
  Dialling = 3,
  DialupLocked = 4,
};

struct LineTiming {
  std::chrono::milliseconds dialDuration{3000};
  std::chrono::seconds idleHangup{120};  // the countdown restarts at this on traffic
};

struct LineStatus {
  LineState state = LineState::NotConnected;
  bool locked = false;
  std::int32_t connections = 0;  // dial-ups since the server (re)started
  std::int32_t onlineSeconds = 0;
  std::int32_t secondsUntilHangup = 0;
  std::string address;  // dotted text while connected, empty otherwise
};

class LineModel {
 public:
  explicit LineModel(const Clock& clock, LineTiming timing = {});

  LineStatus Status();

  // What the server's commands do.
  void FetchMail();   // dials when the line is down; counts as traffic when it is up
  void Logout();      // hangs up (also an attempt in progress)
  void ToggleLock();  // locking hangs up and keeps the line from dialling
  void Restart();     // hangs up and starts counting dial-ups afresh; the lock stays
  void NoteTraffic();

  // Test-facing: put the line into a state directly. The lock is separate; while it is set
  // the line state reads as dial-up locked whatever the line itself is doing.
  void SetNotConnected();
  void SetDialling();
  void SetConnected(const std::string& address, std::chrono::seconds onlineFor, std::chrono::seconds untilHangup);
  void SetAttemptFailed();
  void SetLocked(bool locked);
  void SetConnections(std::int32_t connections);
  void SetDialAttemptsFail(bool fail);
  void SetTiming(LineTiming timing);

 private:
  enum class Phase { Down, Dialling, Up, Failed };

  void Advance();
  void Dial();
  void HangUp();

  const Clock& clock_;
  LineTiming timing_;
  Phase phase_ = Phase::Down;
  bool locked_ = false;
  bool dialAttemptsFail_ = false;
  std::chrono::milliseconds dialStarted_{0};
  std::chrono::milliseconds connectedAt_{0};
  std::chrono::milliseconds lastTraffic_{0};
  std::int32_t connections_ = 0;
  std::string address_;
};

}  // namespace zerka::sim

#pragma once
// A simulated Zerka proxy server for tests and for trying the program without a real one.
// It answers the remote protocol on one port (datagrams and stream connections share the
// number) and serves the administration web interface on a second port, all from one
// thread of its own. Construction binds every socket before it returns, so a test can talk
// to it at once; every setter may be called from any thread while it runs.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sim/AdminSite.h"
#include "sim/Clock.h"
#include "sim/Faults.h"
#include "sim/LineModel.h"

namespace zerka::sim {

struct ServerOptions {
  std::string bindAddress = "127.0.0.1";
  std::uint16_t remotePort = 0;  // 0 picks a free port, the same for datagrams and streams
  std::uint16_t adminPort = 0;   // 0 picks a free port
  std::optional<Credentials> credentials;  // the admin pages want these when set
  std::shared_ptr<Clock> clock;            // the steady clock when empty
  LineTiming timing;
  // Receives one UTF-8 line per thing the server does; called on the server's thread.
  std::function<void(const std::string&)> log;
};

// What arrived, for tests that check the client's side of the wire.
struct Traffic {
  std::array<std::uint64_t, 256> datagramsByCode{};
  std::array<std::uint16_t, 256> lastSequenceByCode{};
  std::uint16_t lastSequence = 0;
  std::string lastDatagram;              // byte for byte, also a malformed one
  std::uint64_t malformedDatagrams = 0;  // anything but exactly three bytes
  std::uint64_t datagramReplies = 0;     // replies sent (also the faulty ones)
  std::uint64_t streamConnections = 0;
  std::uint64_t streamRequests = 0;
  std::string lastStreamRequestLine;     // byte for byte, with its line end
  std::uint64_t streamProtocolErrors = 0;  // request lines not ended by CR LF
  std::uint64_t httpConnections = 0;
  std::uint64_t httpRequests = 0;
  std::string lastHttpRequestHead;       // byte for byte, including the blank line
  std::uint64_t restarts = 0;
};

class SimServer {
 public:
  // Throws std::runtime_error when a port cannot be bound.
  explicit SimServer(ServerOptions options = {});
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  std::uint16_t RemotePort() const;
  std::uint16_t AdminPort() const;

  // Closes every socket and ends the server's thread. Command 99 does the same from the wire.
  void Stop();
  bool Stopped() const;
  bool WaitUntilStopped(std::chrono::milliseconds bound) const;

  void SetFaults(const FaultSettings& faults);
  FaultSettings Faults() const;
  void SetDatagramFault(DatagramFault fault);
  void SetReplyDelay(std::chrono::milliseconds delay);
  void SetAnswerCommands(bool answer);
  void SetOversizedLength(std::size_t bytes);
  void SetStreamFault(StreamFault fault);
  void SetServerMessage(const std::string& latin1Text);
  void SetUnknownAnswerType(std::int32_t type);
  void SetHttpFault(HttpFault fault);
  void SetRedirectLocation(const std::string& location);
  void SetCredentials(const std::optional<Credentials>& credentials);
  // Query 8 answers this port instead of the one the admin interface listens on.
  void SetReportedAdminPort(std::optional<std::uint16_t> port);

  // Runs the function on the line model while the server is held still; the function must
  // not call back into the server.
  void WithLine(const std::function<void(LineModel&)>& change);
  LineStatus Line();

  Traffic GetTraffic() const;
  void ResetTraffic();
  // Waits until the traffic satisfies the predicate; false when the bound passed first.
  bool WaitForTraffic(const std::function<bool(const Traffic&)>& reached, std::chrono::milliseconds bound) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zerka::sim

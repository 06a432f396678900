#pragma once
// A tiny IPv4 socket wrapper for the simulated server and its tests: POSIX sockets on Linux,
// Winsock 2 on Windows. Only what a select loop over a handful of sockets needs.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zerka::sim {

#ifdef _WIN32
using NativeSocket = std::uintptr_t;
#else
using NativeSocket = int;
#endif

// Winsock needs a start-up per process user; POSIX needs SIGPIPE out of the way. Hold one
// while any socket lives.
class SocketSystem {
 public:
  SocketSystem();
  ~SocketSystem();
  SocketSystem(const SocketSystem&) = delete;
  SocketSystem& operator=(const SocketSystem&) = delete;
};

struct Endpoint {
  std::uint32_t address = 0;  // host byte order
  std::uint16_t port = 0;

  static Endpoint Parse(const std::string& dottedAddress, std::uint16_t port);
  std::string AddressText() const;
  bool operator==(const Endpoint&) const = default;
};

enum class IoStatus { Done, WouldBlock, Closed, Failed };

struct IoResult {
  IoStatus status = IoStatus::Failed;
  std::size_t bytes = 0;
};

class Socket {
 public:
  Socket() = default;
  ~Socket();
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Each of these throws std::runtime_error (German text with the system's error number).
  static Socket OpenUdp(const Endpoint& bindTo);
  static Socket OpenTcpListener(const Endpoint& bindTo);
  static Socket ConnectTcp(const Endpoint& to);  // blocking connect

  bool IsOpen() const;
  NativeSocket Native() const { return handle_; }
  Endpoint LocalEndpoint() const;
  void SetNonBlocking();

  std::optional<Socket> Accept();  // nothing when no connection is waiting
  IoResult Send(std::string_view bytes);
  IoResult Receive(char* buffer, std::size_t size);
  IoResult SendTo(std::string_view bytes, const Endpoint& to);
  IoResult ReceiveFrom(char* buffer, std::size_t size, Endpoint& from);

  void ShutdownSend();
  void Close();
  // Closes with an abortive reset instead of the orderly end of the stream.
  void CloseWithReset();

 private:
  explicit Socket(NativeSocket handle) : handle_(handle) {}
  NativeSocket handle_ = InvalidHandle();
  static NativeSocket InvalidHandle();
};

struct WaitItem {
  const Socket* socket = nullptr;
  bool wantRead = false;
  bool wantWrite = false;
  bool readable = false;
  bool writable = false;
};

// Waits until one of the items is ready or the time-out passes; returns false on time-out.
bool WaitReady(std::vector<WaitItem>& items, std::chrono::milliseconds timeout);

}  // namespace zerka::sim

#pragma once
// The one boundary to the operating system's sockets. Each OS has one implementation
// (Winsock on Windows, POSIX elsewhere); everything above it speaks Windows Sockets error
// numbers, so messages read the same on every build.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "net/NetTypes.h"

namespace zerka {

using TNetSocket = std::intptr_t;
constexpr TNetSocket NoSocket = -1;

// An IPv4 address, first byte first, and a port in host order.
struct TNetIPv4Endpoint {
  std::array<std::uint8_t, 4> Address{};
  std::uint16_t Port = 0;
};

// A readiness-wait time limit as the platform takes it.
struct TNetWaitLimit {
  std::int32_t Seconds = 0;
  std::int32_t Microseconds = 0;
};

// Socket option levels and names, in the Windows Sockets numbering.
constexpr int SocketLevel = 0xFFFF;
constexpr int SocketOptionBroadcast = 32;
constexpr int ProtocolLevelTcp = 6;
constexpr int TcpOptionNoDelay = 1;

// Every call returns the platform's result; -1 (or NoSocket) means failure, after which
// LastError() holds the Windows Sockets number of that failure.
class TNetStack {
 public:
  virtual ~TNetStack() = default;

  virtual TNetSocket CreateSocket(TNetSocketKind kind) = 0;
  virtual int CloseSocket(TNetSocket s) = 0;
  virtual int ShutdownSend(TNetSocket s) = 0;
  virtual int Bind(TNetSocket s, const TNetIPv4Endpoint& local) = 0;
  // A connect that gives up after timeoutMs (TimeoutInfinite: the platform's own limit),
  // failing with 10060.
  virtual int Connect(TNetSocket s, const TNetIPv4Endpoint& remote, std::int32_t timeoutMs) = 0;
  virtual int Send(TNetSocket s, const void* data, int count) = 0;
  virtual int Receive(TNetSocket s, void* buffer, int size) = 0;
  virtual int SendTo(TNetSocket s, const void* data, int count, const TNetIPv4Endpoint& to) = 0;
  // A datagram longer than size is consumed and fails with 10040.
  virtual int ReceiveFrom(TNetSocket s, void* buffer, int size, TNetIPv4Endpoint& from) = 0;
  // Waits until s is readable: 1 ready, 0 timed out, -1 failed. A null limit waits forever.
  virtual int SelectReadable(TNetSocket s, const TNetWaitLimit* limit) = 0;
  virtual int SetOption(TNetSocket s, int level, int option, std::int32_t value) = 0;
  virtual int LocalEndpoint(TNetSocket s, TNetIPv4Endpoint& local) = 0;
  virtual int PeerEndpoint(TNetSocket s, TNetIPv4Endpoint& peer) = 0;
  // The first IPv4 address of a host name; false with LastError() set when there is none.
  virtual bool LookupHost(const std::string& name, std::array<std::uint8_t, 4>& address) = 0;
  virtual std::int32_t LastError() = 0;
  // Ends a blocking call still in progress, at shut-down.
  virtual void CancelBlockingCall() = 0;
};

// Loads and starts the platform's sockets library; raises ENetStackCanNotLoadWinsock or
// ENetStackInitializationFailed. The library is stopped when the object is destroyed.
std::unique_ptr<TNetStack> CreatePlatformStack();

}  // namespace zerka

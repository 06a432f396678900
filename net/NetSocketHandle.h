#pragma once

#include <cstdint>
#include <string>

#include "net/NetStack.h"
#include "net/NetTypes.h"

namespace zerka {

// One platform socket with its local and remote addresses.
class TNetSocketHandle {
 public:
  TNetSocketHandle() = default;
  ~TNetSocketHandle();
  TNetSocketHandle(const TNetSocketHandle&) = delete;
  TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

  void OpenSocket(TNetSocketKind kind);
  void ReleaseSocket(bool forgetLocal);
  void BindLocal();
  // connectTimeoutMs bounds the wait for the peer (TimeoutInfinite: the platform's own).
  int ConnectPeer(std::int32_t connectTimeoutMs = TimeoutInfinite);
  bool WaitReadable(std::int32_t timeoutMs);
  int Send(const void* data, int count);
  int Receive(void* buffer, int size);
  void SendTo(const std::string& address, int port, const void* data, int count);
  int ReceiveFrom(void* buffer, int size, std::string& senderAddress, int& senderPort);
  // Sets an integer option; a failure raises ENetSocketError.
  void SetOption(int level, int option, std::int32_t value);

  bool HandleAllocated() const { return exists_; }
  TNetSocket Handle() const { return socket_; }

  std::string BoundAddress;
  int BoundPort = 0;
  std::string RemoteAddress;
  int RemotePort = 0;

 private:
  void ReadLocalEndpoint();

  TNetSocket socket_ = NoSocket;
  bool exists_ = false;
};

}  // namespace zerka

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/NetComponent.h"
#include "net/NetSocketHandle.h"

namespace zerka {

// One datagram socket, created on first use and kept, so every exchange leaves from the same
// local port.
class TNetUDPBase : public TNetComponent {
 public:
  explicit TNetUDPBase(TComponent* AOwner = nullptr);
  ~TNetUDPBase() override;

  TNetSocketHandle& EnsureSocket();
  bool Active() const { return socket_ && socket_->HandleAllocated(); }
  void SetActive(bool value);

  // Takes one datagram; 0 with an empty sender when none arrived in time.
  int ReceiveDatagram(void* buffer, int size, std::int32_t timeoutMs);
  int ReceiveDatagram(void* buffer, int size, std::int32_t timeoutMs, std::string& senderAddress,
                      int& senderPort);
  std::string ReceiveDatagramText(std::int32_t timeoutMs);
  void SendDatagramTo(const std::string& host, int port, const void* data, int count);

  std::int32_t ReceiveTimeout = -2;
  int BufferSize = 8192;
  bool BroadcastEnabled = false;

 protected:
  std::unique_ptr<TNetSocketHandle> socket_;
};

class TNetUDPClient : public TNetUDPBase {
 public:
  using TNetUDPBase::TNetUDPBase;

  void SendDatagram(const void* data, int count);

  std::string Host;
  int Port = 0;
};

}  // namespace zerka

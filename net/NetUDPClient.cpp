#include "net/NetUDPClient.h"

#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"
#include "net/NetTypes.h"

namespace zerka {

TNetUDPBase::TNetUDPBase(TComponent* AOwner) : TNetComponent(AOwner) {}

TNetUDPBase::~TNetUDPBase() { SetActive(false); }

TNetSocketHandle& TNetUDPBase::EnsureSocket() {
  if (!socket_) socket_ = std::make_unique<TNetSocketHandle>();
  if (!socket_->HandleAllocated()) {
    socket_->OpenSocket(TNetSocketKind::Datagram);
    socket_->SetOption(SocketLevel, SocketOptionBroadcast, BroadcastEnabled ? -1 : 0);
  }
  return *socket_;
}

void TNetUDPBase::SetActive(bool value) {
  if (value) {
    EnsureSocket();
  } else if (socket_) {
    socket_->ReleaseSocket(true);
  }
}

int TNetUDPBase::ReceiveDatagram(void* buffer, int size, std::int32_t timeoutMs) {
  std::string senderAddress;
  int senderPort = 0;
  return ReceiveDatagram(buffer, size, timeoutMs, senderAddress, senderPort);
}

int TNetUDPBase::ReceiveDatagram(void* buffer, int size, std::int32_t timeoutMs,
                                 std::string& senderAddress, int& senderPort) {
  if (timeoutMs == TimeoutDefault) timeoutMs = ReceiveTimeout;
  TNetSocketHandle& handle = EnsureSocket();
  if (!handle.WaitReadable(timeoutMs)) {
    senderAddress.clear();
    senderPort = 0;
    return 0;
  }
  const int received = handle.ReceiveFrom(buffer, size, senderAddress, senderPort);
  CheckSocketResult(received);
  if (received == 0) throw ENetUDPReceiveErrorZeroBytes();
  return received;
}

std::string TNetUDPBase::ReceiveDatagramText(std::int32_t timeoutMs) {
  std::string text(static_cast<std::size_t>(BufferSize > 0 ? BufferSize : 0), '\0');
  text.resize(static_cast<std::size_t>(
      ReceiveDatagram(text.data(), static_cast<int>(text.size()), timeoutMs)));
  return text;
}

void TNetUDPBase::SendDatagramTo(const std::string& host, int port, const void* data,
                                 int count) {
  const std::string address = ResolveToAddress(host);
  EnsureSocket().SendTo(address, port, data, count);
}

void TNetUDPClient::SendDatagram(const void* data, int count) {
  SendDatagramTo(Host, Port, data, count);
}

}  // namespace zerka

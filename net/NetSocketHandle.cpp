#include "net/NetSocketHandle.h"

#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"

namespace zerka {
namespace {

TNetIPv4Endpoint Endpoint(const std::string& address, int port) {
  return {AddressFromText(address), static_cast<std::uint16_t>(port)};
}

}  // namespace

TNetSocketHandle::~TNetSocketHandle() {
  if (exists_ && SocketLayerRunning()) ReleaseSocket(true);
}

void TNetSocketHandle::OpenSocket(TNetSocketKind kind) {
  if (exists_) ReleaseSocket(true);
  const TNetSocket s = GStack().CreateSocket(kind);
  if (s == NoSocket) throw ENetInvalidSocket();
  socket_ = s;
  exists_ = true;
}

void TNetSocketHandle::ReleaseSocket(bool forgetLocal) {
  if (!exists_) return;
  exists_ = false;
  GStack().ShutdownSend(socket_);
  GStack().CloseSocket(socket_);
  socket_ = NoSocket;
  RemoteAddress.clear();
  RemotePort = 0;
  if (forgetLocal) {
    BoundAddress.clear();
    BoundPort = 0;
  }
}

void TNetSocketHandle::BindLocal() {
  if (CheckSocketResult(GStack().Bind(socket_, Endpoint(BoundAddress, BoundPort)),
                        {WsaAddressInUse})) {
    throw ENetCouldNotBindSocket();
  }
  ReadLocalEndpoint();
}

int TNetSocketHandle::ConnectPeer(std::int32_t connectTimeoutMs) {
  const int result =
      GStack().Connect(socket_, Endpoint(RemoteAddress, RemotePort), connectTimeoutMs);
  if (result == 0) {
    ReadLocalEndpoint();
    TNetIPv4Endpoint peer;
    CheckSocketResult(GStack().PeerEndpoint(socket_, peer));
    RemoteAddress = AddressToText(peer.Address);
    RemotePort = peer.Port;
  }
  return result;
}

bool TNetSocketHandle::WaitReadable(std::int32_t timeoutMs) {
  if (!exists_) throw ENetConnClosedGracefully();
  TNetWaitLimit limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return GStack().SelectReadable(socket_, timeoutMs == TimeoutInfinite ? nullptr : &limit) == 1;
}

int TNetSocketHandle::Send(const void* data, int count) {
  return GStack().Send(socket_, data, count);
}

int TNetSocketHandle::Receive(void* buffer, int size) {
  return GStack().Receive(socket_, buffer, size);
}

void TNetSocketHandle::SendTo(const std::string& address, int port, const void* data,
                              int count) {
  const int sent = GStack().SendTo(socket_, data, count, Endpoint(address, port));
  if (sent == -1) {
    if (CheckSocketResult(sent, {WsaMessageTooLong})) throw ENetPackageSizeTooBig();
  }
  if (sent != count) throw ENetNotAllBytesSent();
}

int TNetSocketHandle::ReceiveFrom(void* buffer, int size, std::string& senderAddress,
                                  int& senderPort) {
  TNetIPv4Endpoint sender;
  const int received = GStack().ReceiveFrom(socket_, buffer, size, sender);
  senderAddress = AddressToText(sender.Address);
  senderPort = sender.Port;
  return received;
}

void TNetSocketHandle::SetOption(int level, int option, std::int32_t value) {
  CheckSocketResult(GStack().SetOption(socket_, level, option, value));
}

void TNetSocketHandle::ReadLocalEndpoint() {
  TNetIPv4Endpoint local;
  CheckSocketResult(GStack().LocalEndpoint(socket_, local));
  BoundAddress = AddressToText(local.Address);
  BoundPort = local.Port;
}

}  // namespace zerka

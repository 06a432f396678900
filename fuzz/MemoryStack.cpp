#include "fuzz/MemoryStack.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/FuzzInput.h"
#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"

namespace zerka::fuzz {
namespace {

constexpr std::int32_t WsaBadSocket = 10038;

const TNetIPv4Endpoint Loopback{{127, 0, 0, 1}, 50000};

}  // namespace

void Violated(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

TMemoryStack::TSocket* TMemoryStack::Find(TNetSocket s) {
  const auto found = sockets_.find(s);
  return found == sockets_.end() ? nullptr : &found->second;
}

int TMemoryStack::Fail(std::int32_t error) {
  lastError_ = error;
  return -1;
}

TNetSocket TMemoryStack::CreateSocket(TNetSocketKind kind) {
  const TNetSocket s = next_++;
  sockets_[s] = TSocket{kind, {}, 0};
  return s;
}

int TMemoryStack::CloseSocket(TNetSocket s) { return sockets_.erase(s) ? 0 : Fail(WsaBadSocket); }

int TMemoryStack::Connect(TNetSocket s, const TNetIPv4Endpoint& remote, std::int32_t) {
  TSocket* socket = Find(s);
  if (!socket) return Fail(WsaBadSocket);
  socket->Peer = remote;
  socket->Read = 0;
  ++peer_.Connections;
  return 0;
}

int TMemoryStack::Send(TNetSocket s, const void* data, int count) {
  if (!Find(s)) return Fail(WsaBadSocket);
  peer_.StreamSent.append(static_cast<const char*>(data), static_cast<std::size_t>(count));
  return count;
}

int TMemoryStack::Receive(TNetSocket s, void* buffer, int size) {
  TSocket* socket = Find(s);
  if (!socket) return Fail(WsaBadSocket);
  const std::size_t left = peer_.StreamBytes.size() - std::min(socket->Read, peer_.StreamBytes.size());
  std::size_t count = std::min(left, static_cast<std::size_t>(std::max(size, 0)));
  if (peer_.ReadPiece != 0) count = std::min(count, peer_.ReadPiece);
  std::memcpy(buffer, peer_.StreamBytes.data() + socket->Read, count);
  socket->Read += count;
  return static_cast<int>(count);
}

int TMemoryStack::SendTo(TNetSocket s, const void* data, int count, const TNetIPv4Endpoint&) {
  if (!Find(s)) return Fail(WsaBadSocket);
  if (peer_.OnDatagram) peer_.OnDatagram(std::string(static_cast<const char*>(data), static_cast<std::size_t>(count)));
  return count;
}

int TMemoryStack::ReceiveFrom(TNetSocket s, void* buffer, int size, TNetIPv4Endpoint& from) {
  if (!Find(s)) return Fail(WsaBadSocket);
  if (peer_.Datagrams.empty()) return Fail(WsaWouldBlock);
  const std::string datagram = std::move(peer_.Datagrams.front());
  peer_.Datagrams.pop_front();
  from = Loopback;
  if (datagram.size() > static_cast<std::size_t>(std::max(size, 0))) return Fail(WsaMessageTooLong);
  std::memcpy(buffer, datagram.data(), datagram.size());
  return static_cast<int>(datagram.size());
}

int TMemoryStack::SelectReadable(TNetSocket s, const TNetWaitLimit*) {
  const TSocket* socket = Find(s);
  if (!socket) return Fail(WsaBadSocket);
  // A stream always has bytes or the peer's close to read; datagrams only when queued.
  if (socket->Kind == TNetSocketKind::Stream) return 1;
  return peer_.Datagrams.empty() ? 0 : 1;
}

int TMemoryStack::LocalEndpoint(TNetSocket s, TNetIPv4Endpoint& local) {
  if (!Find(s)) return Fail(WsaBadSocket);
  local = Loopback;
  return 0;
}

int TMemoryStack::PeerEndpoint(TNetSocket s, TNetIPv4Endpoint& peer) {
  const TSocket* socket = Find(s);
  if (!socket) return Fail(WsaBadSocket);
  peer = socket->Peer;
  return 0;
}

bool TMemoryStack::LookupHost(const std::string&, std::array<std::uint8_t, 4>&) {
  lastError_ = WsaHostNotFound;
  return false;
}

TMemoryStackInstalled::TMemoryStackInstalled(TMemoryPeer& peer) {
  SetStackFactory([&peer] { return std::make_unique<TMemoryStack>(peer); });
}

TMemoryStackInstalled::~TMemoryStackInstalled() { SetStackFactory({}); }

}  // namespace zerka::fuzz

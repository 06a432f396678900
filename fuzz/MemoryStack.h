#pragma once
// A socket stack in memory for the fuzz targets: nothing leaves the process and no call
// waits. Every stream connection receives the peer's script from its start, in pieces of at
// most ReadPiece bytes, and then sees the peer close. Each datagram the client sends gives the
// peer's OnDatagram its turn to queue replies.

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "net/NetStack.h"

namespace zerka::fuzz {

struct TMemoryPeer {
  std::string StreamBytes;
  std::size_t ReadPiece = 0;  // 0: as much as the caller asks for
  std::deque<std::string> Datagrams;
  std::function<void(const std::string& request)> OnDatagram;

  // What the client did.
  std::string StreamSent;
  int Connections = 0;
};

class TMemoryStack final : public TNetStack {
 public:
  explicit TMemoryStack(TMemoryPeer& peer) : peer_(peer) {}

  TNetSocket CreateSocket(TNetSocketKind kind) override;
  int CloseSocket(TNetSocket s) override;
  int ShutdownSend(TNetSocket) override { return 0; }
  int Bind(TNetSocket, const TNetIPv4Endpoint&) override { return 0; }
  int Connect(TNetSocket s, const TNetIPv4Endpoint& remote, std::int32_t timeoutMs) override;
  int Send(TNetSocket s, const void* data, int count) override;
  int Receive(TNetSocket s, void* buffer, int size) override;
  int SendTo(TNetSocket s, const void* data, int count, const TNetIPv4Endpoint& to) override;
  int ReceiveFrom(TNetSocket s, void* buffer, int size, TNetIPv4Endpoint& from) override;
  int SelectReadable(TNetSocket s, const TNetWaitLimit* limit) override;
  int SetOption(TNetSocket, int, int, std::int32_t) override { return 0; }
  int LocalEndpoint(TNetSocket s, TNetIPv4Endpoint& local) override;
  int PeerEndpoint(TNetSocket s, TNetIPv4Endpoint& peer) override;
  bool LookupHost(const std::string& name, std::array<std::uint8_t, 4>& address) override;
  std::int32_t LastError() override { return lastError_; }
  void CancelBlockingCall() override {}

 private:
  struct TSocket {
    TNetSocketKind Kind;
    TNetIPv4Endpoint Peer;
    std::size_t Read = 0;  // stream bytes handed over on this connection
  };

  TSocket* Find(TNetSocket s);
  int Fail(std::int32_t error);

  TMemoryPeer& peer_;
  std::map<TNetSocket, TSocket> sockets_;
  TNetSocket next_ = 3;
  std::int32_t lastError_ = 0;
};

// Puts a memory stack for peer under the socket layer for as long as it lives.
class TMemoryStackInstalled {
 public:
  explicit TMemoryStackInstalled(TMemoryPeer& peer);
  ~TMemoryStackInstalled();
  TMemoryStackInstalled(const TMemoryStackInstalled&) = delete;
  TMemoryStackInstalled& operator=(const TMemoryStackInstalled&) = delete;
};

}  // namespace zerka::fuzz

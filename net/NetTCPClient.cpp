#include "net/NetTCPClient.h"

#include "net/NetExceptions.h"
#include "net/NetSocketLayer.h"

namespace zerka {

TNetTCPClient::TNetTCPClient(TComponent* AOwner) : TNetTCPConnection(AOwner) {}

void TNetTCPClient::OpenConnection() {
  if (socket_.HandleAllocated()) throw ENetAlreadyConnected();
  socket_.BoundAddress.clear();
  socket_.BoundPort = 0;
  socket_.RemoteAddress.clear();
  socket_.RemotePort = 0;
  InputQueue.Clear();
  PeerClosed = false;
  socket_.OpenSocket(TNetSocketKind::Stream);
  try {
    socket_.BoundAddress = BoundIP;
    socket_.BoundPort = 0;
    socket_.BindLocal();
    socket_.RemoteAddress = ResolveToAddress(Host);
    socket_.RemotePort = Port;
    if (!UseNagle) socket_.SetOption(ProtocolLevelTcp, TcpOptionNoDelay, 1);
    CheckSocketResult(socket_.ConnectPeer(ConnectTimeout));
  } catch (...) {
    try {
      CloseConnection();
    } catch (...) {
    }
    throw;
  }
  connectedHost_ = Host;
  connectedPort_ = Port;
  if (OnConnected) OnConnected(this);
}

}  // namespace zerka

// The Windows Sockets 1.1 stack, loaded at run time from "wsock32.dll" so that a missing or
// broken library is an error message, not a failed program start.

#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "net/NetExceptions.h"
#include "net/NetStack.h"

namespace zerka {
namespace {

constexpr const char* LibraryName = "wsock32.dll";

struct TWinsockEntries {
  int(WINAPI* WSAStartup)(WORD, LPWSADATA);
  int(WINAPI* WSACleanup)();
  int(WINAPI* WSAGetLastError)();
  int(WINAPI* WSACancelBlockingCall)();
  SOCKET(WINAPI* socket)(int, int, int);
  int(WINAPI* closesocket)(SOCKET);
  int(WINAPI* shutdown)(SOCKET, int);
  int(WINAPI* bind)(SOCKET, const sockaddr*, int);
  int(WINAPI* connect)(SOCKET, const sockaddr*, int);
  int(WINAPI* send)(SOCKET, const char*, int, int);
  int(WINAPI* recv)(SOCKET, char*, int, int);
  int(WINAPI* sendto)(SOCKET, const char*, int, int, const sockaddr*, int);
  int(WINAPI* recvfrom)(SOCKET, char*, int, int, sockaddr*, int*);
  int(WINAPI* select)(int, fd_set*, fd_set*, fd_set*, const timeval*);
  int(WINAPI* setsockopt)(SOCKET, int, int, const char*, int);
  int(WINAPI* getsockopt)(SOCKET, int, int, char*, int*);
  int(WINAPI* ioctlsocket)(SOCKET, long, u_long*);
  int(WINAPI* getsockname)(SOCKET, sockaddr*, int*);
  int(WINAPI* getpeername)(SOCKET, sockaddr*, int*);
  hostent*(WINAPI* gethostbyname)(const char*);
};

template <typename Function>
bool Find(HMODULE library, const char* name, Function& entry) {
  entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return entry != nullptr;
}

// FD_ISSET calls into ws2_32, which this program does not link.
bool Contains(const fd_set& set, SOCKET s) {
  for (u_int i = 0; i < set.fd_count; ++i) {
    if (set.fd_array[i] == s) return true;
  }
  return false;
}

sockaddr_in ToSockaddr(const TNetIPv4Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = static_cast<u_short>((endpoint.Port >> 8) | ((endpoint.Port & 0xFF) << 8));
  std::memcpy(&address.sin_addr, endpoint.Address.data(), 4);
  return address;
}

TNetIPv4Endpoint FromSockaddr(const sockaddr_in& address) {
  TNetIPv4Endpoint endpoint;
  std::memcpy(endpoint.Address.data(), &address.sin_addr, 4);
  const auto port = static_cast<std::uint16_t>(address.sin_port);
  endpoint.Port = static_cast<std::uint16_t>((port >> 8) | ((port & 0xFF) << 8));
  return endpoint;
}

class TNetStackWinsock final : public TNetStack {
 public:
  TNetStackWinsock() {
    // Loaded once and kept: a sockets library unloaded and loaded again in one process does
    // not start cleanly everywhere (Wine's does not). Start-up and clean-up still pair.
    static const HMODULE library = LoadLibraryA(LibraryName);
    library_ = library;
    if (!library_ || !FindAll()) throw ENetStackCanNotLoadWinsock(LibraryName);
    WSADATA data{};
    if (ws_.WSAStartup(0x0101, &data) != 0) throw ENetStackInitializationFailed();
  }

  ~TNetStackWinsock() override { ws_.WSACleanup(); }

  TNetSocket CreateSocket(TNetSocketKind kind) override {
    const int type = kind == TNetSocketKind::Stream ? SOCK_STREAM : SOCK_DGRAM;
    const SOCKET s = ws_.socket(AF_INET, type, 0);
    if (s == INVALID_SOCKET) return NoSocket;
    return static_cast<TNetSocket>(s);
  }

  int CloseSocket(TNetSocket s) override { return ws_.closesocket(Sock(s)); }

  int ShutdownSend(TNetSocket s) override { return ws_.shutdown(Sock(s), 1); }

  int Bind(TNetSocket s, const TNetIPv4Endpoint& local) override {
    const sockaddr_in address = ToSockaddr(local);
    return ws_.bind(Sock(s), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }

  int Connect(TNetSocket s, const TNetIPv4Endpoint& remote, std::int32_t timeoutMs) override {
    const sockaddr_in address = ToSockaddr(remote);
    const auto* target = reinterpret_cast<const sockaddr*>(&address);
    if (timeoutMs == TimeoutInfinite) return ws_.connect(Sock(s), target, sizeof address);
    u_long nonBlocking = 1;
    if (ws_.ioctlsocket(Sock(s), FIONBIO, &nonBlocking) != 0) return -1;
    int result = ws_.connect(Sock(s), target, sizeof address);
    int error = result == 0 ? 0 : ws_.WSAGetLastError();
    if (result != 0 && error == WsaWouldBlock) {
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(Sock(s), &writable);
      FD_SET(Sock(s), &failed);
      const timeval limit{timeoutMs < 0 ? 0 : timeoutMs / 1000,
                          timeoutMs < 0 ? 0 : (timeoutMs % 1000) * 1000};
      const int ready = ws_.select(0, nullptr, &writable, &failed, &limit);
      if (ready == 0) {
        error = WsaTimedOut;
      } else if (ready < 0) {
        error = ws_.WSAGetLastError();
      } else if (Contains(failed, Sock(s))) {
        int length = sizeof error;
        if (ws_.getsockopt(Sock(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                           &length) != 0 || error == 0) {
          error = WsaConnectionRefused;
        }
      } else {
        error = 0;
      }
    }
    u_long blocking = 0;
    ws_.ioctlsocket(Sock(s), FIONBIO, &blocking);
    lastError_ = error;
    return error == 0 ? 0 : -1;
  }

  int Send(TNetSocket s, const void* data, int count) override {
    return ws_.send(Sock(s), static_cast<const char*>(data), count, 0);
  }

  int Receive(TNetSocket s, void* buffer, int size) override {
    return ws_.recv(Sock(s), static_cast<char*>(buffer), size, 0);
  }

  int SendTo(TNetSocket s, const void* data, int count, const TNetIPv4Endpoint& to) override {
    const sockaddr_in address = ToSockaddr(to);
    return ws_.sendto(Sock(s), static_cast<const char*>(data), count, 0,
                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }

  int ReceiveFrom(TNetSocket s, void* buffer, int size, TNetIPv4Endpoint& from) override {
    sockaddr_in address{};
    int length = sizeof address;
    const int result = ws_.recvfrom(Sock(s), static_cast<char*>(buffer), size, 0,
                                    reinterpret_cast<sockaddr*>(&address), &length);
    from = FromSockaddr(address);
    return result;
  }

  int SelectReadable(TNetSocket s, const TNetWaitLimit* limit) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Sock(s), &readable);
    timeval time{};
    if (limit) {
      time.tv_sec = limit->Seconds;
      time.tv_usec = limit->Microseconds;
    }
    return ws_.select(0, &readable, nullptr, nullptr, limit ? &time : nullptr);
  }

  int SetOption(TNetSocket s, int level, int option, std::int32_t value) override {
    return ws_.setsockopt(Sock(s), level, option, reinterpret_cast<const char*>(&value),
                          sizeof value);
  }

  int LocalEndpoint(TNetSocket s, TNetIPv4Endpoint& local) override {
    return Name(s, local, ws_.getsockname);
  }

  int PeerEndpoint(TNetSocket s, TNetIPv4Endpoint& peer) override {
    return Name(s, peer, ws_.getpeername);
  }

  bool LookupHost(const std::string& name, std::array<std::uint8_t, 4>& address) override {
    const hostent* found = ws_.gethostbyname(name.c_str());
    if (!found || found->h_addrtype != AF_INET || !found->h_addr_list ||
        !found->h_addr_list[0]) {
      if (found) lastError_ = WsaNoData;
      return false;
    }
    std::memcpy(address.data(), found->h_addr_list[0], 4);
    return true;
  }

  std::int32_t LastError() override {
    // The connect with a time-limit keeps its own verdict; all else asks the library.
    const int error = lastError_ != 0 ? lastError_ : ws_.WSAGetLastError();
    lastError_ = 0;
    return error;
  }

  void CancelBlockingCall() override {
    if (ws_.WSACancelBlockingCall) ws_.WSACancelBlockingCall();
  }

 private:
  static SOCKET Sock(TNetSocket s) { return static_cast<SOCKET>(s); }

  template <typename Query>
  int Name(TNetSocket s, TNetIPv4Endpoint& endpoint, Query query) {
    sockaddr_in address{};
    int length = sizeof address;
    if (query(Sock(s), reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    endpoint = FromSockaddr(address);
    return 0;
  }

  bool FindAll() {
    Find(library_, "WSACancelBlockingCall", ws_.WSACancelBlockingCall);  // gone from newer systems
    return Find(library_, "WSAStartup", ws_.WSAStartup) &&
           Find(library_, "WSACleanup", ws_.WSACleanup) &&
           Find(library_, "WSAGetLastError", ws_.WSAGetLastError) &&
           Find(library_, "socket", ws_.socket) && Find(library_, "closesocket", ws_.closesocket) &&
           Find(library_, "shutdown", ws_.shutdown) && Find(library_, "bind", ws_.bind) &&
           Find(library_, "connect", ws_.connect) && Find(library_, "send", ws_.send) &&
           Find(library_, "recv", ws_.recv) && Find(library_, "sendto", ws_.sendto) &&
           Find(library_, "recvfrom", ws_.recvfrom) && Find(library_, "select", ws_.select) &&
           Find(library_, "setsockopt", ws_.setsockopt) &&
           Find(library_, "getsockopt", ws_.getsockopt) &&
           Find(library_, "ioctlsocket", ws_.ioctlsocket) &&
           Find(library_, "getsockname", ws_.getsockname) &&
           Find(library_, "getpeername", ws_.getpeername) &&
           Find(library_, "gethostbyname", ws_.gethostbyname);
  }

  HMODULE library_ = nullptr;
  TWinsockEntries ws_{};
  int lastError_ = 0;
};

}  // namespace

std::unique_ptr<TNetStack> CreatePlatformStack() { return std::make_unique<TNetStackWinsock>(); }

}  // namespace zerka

// The POSIX sockets stack. errno values and name-lookup failures are mapped onto the Windows
// Sockets numbers, so a refused connection reads "Socket-Fehler # 10061" here as on Windows.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/NetExceptions.h"
#include "net/NetStack.h"

namespace zerka {
namespace {

std::int32_t WinsockNumberOf(int error) {
  switch (error) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EPERM: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case ENFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case EPIPE: return 10058;  // sending after the connection went down
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
    default: return error;
  }
}

std::int32_t WinsockNumberOfLookup(int error) {
  switch (error) {
    case EAI_NONAME: return WsaHostNotFound;
    case EAI_AGAIN: return WsaTryAgain;
#ifdef EAI_NODATA
    case EAI_NODATA: return WsaNoData;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return WsaNoData;
#endif
    case EAI_SYSTEM: return WinsockNumberOf(errno);
    default: return WsaNoRecovery;
  }
}

sockaddr_in ToSockaddr(const TNetIPv4Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint.Port);
  std::memcpy(&address.sin_addr, endpoint.Address.data(), 4);
  return address;
}

TNetIPv4Endpoint FromSockaddr(const sockaddr_in& address) {
  TNetIPv4Endpoint endpoint;
  std::memcpy(endpoint.Address.data(), &address.sin_addr, 4);
  endpoint.Port = ntohs(address.sin_port);
  return endpoint;
}

class TNetStackPosix final : public TNetStack {
 public:
  TNetSocket CreateSocket(TNetSocketKind kind) override {
    const int type = kind == TNetSocketKind::Stream ? SOCK_STREAM : SOCK_DGRAM;
    const int s = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (s < 0) return Fail(NoSocket);
    return s;
  }

  int CloseSocket(TNetSocket s) override { return Check(::close(Fd(s))); }

  int ShutdownSend(TNetSocket s) override { return Check(::shutdown(Fd(s), SHUT_WR)); }

  int Bind(TNetSocket s, const TNetIPv4Endpoint& local) override {
    const sockaddr_in address = ToSockaddr(local);
    return Check(::bind(Fd(s), reinterpret_cast<const sockaddr*>(&address), sizeof address));
  }

  int Connect(TNetSocket s, const TNetIPv4Endpoint& remote, std::int32_t timeoutMs) override {
    const sockaddr_in address = ToSockaddr(remote);
    const auto* target = reinterpret_cast<const sockaddr*>(&address);
    if (timeoutMs == TimeoutInfinite) return Check(::connect(Fd(s), target, sizeof address));
    const int flags = ::fcntl(Fd(s), F_GETFL);
    if (flags < 0 || ::fcntl(Fd(s), F_SETFL, flags | O_NONBLOCK) < 0) return Fail(-1);
    int result = ::connect(Fd(s), target, sizeof address);
    int error = result == 0 ? 0 : errno;
    if (result != 0 && error == EINPROGRESS) {
      pollfd entry{Fd(s), POLLOUT, 0};
      int ready;
      do {
        ready = ::poll(&entry, 1, timeoutMs < 0 ? 0 : timeoutMs);
      } while (ready < 0 && errno == EINTR);
      if (ready == 0) {
        error = ETIMEDOUT;
      } else if (ready < 0) {
        error = errno;
      } else {
        socklen_t length = sizeof error;
        if (::getsockopt(Fd(s), SOL_SOCKET, SO_ERROR, &error, &length) < 0) error = errno;
      }
    }
    ::fcntl(Fd(s), F_SETFL, flags);
    if (error == 0) return 0;
    lastError_ = WinsockNumberOf(error);
    return -1;
  }

  int Send(TNetSocket s, const void* data, int count) override {
    return Check(static_cast<int>(::send(Fd(s), data, Size(count), MSG_NOSIGNAL)));
  }

  int Receive(TNetSocket s, void* buffer, int size) override {
    return Check(static_cast<int>(::recv(Fd(s), buffer, Size(size), 0)));
  }

  int SendTo(TNetSocket s, const void* data, int count, const TNetIPv4Endpoint& to) override {
    const sockaddr_in address = ToSockaddr(to);
    return Check(static_cast<int>(::sendto(Fd(s), data, Size(count), MSG_NOSIGNAL,
                                            reinterpret_cast<const sockaddr*>(&address),
                                            sizeof address)));
  }

  int ReceiveFrom(TNetSocket s, void* buffer, int size, TNetIPv4Endpoint& from) override {
    sockaddr_in address{};
    iovec vector{buffer, Size(size)};
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = sizeof address;
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    const auto received = ::recvmsg(Fd(s), &message, 0);
    if (received < 0) return Fail(-1);
    from = FromSockaddr(address);
    // The platform cuts a long datagram silently; Windows reports it, and so do we.
    if (message.msg_flags & MSG_TRUNC) {
      lastError_ = WsaMessageTooLong;
      return -1;
    }
    return static_cast<int>(received);
  }

  int SelectReadable(TNetSocket s, const TNetWaitLimit* limit) override {
    // poll, unlike select, has no ceiling on descriptor numbers.
    int waitMs = -1;
    if (limit) {
      if (limit->Seconds < 0 || limit->Microseconds < 0 || limit->Microseconds >= 1000000) {
        lastError_ = 10022;
        return -1;
      }
      waitMs = limit->Seconds * 1000 + (limit->Microseconds + 999) / 1000;
    }
    pollfd entry{Fd(s), POLLIN, 0};
    const int ready = Check(::poll(&entry, 1, waitMs));
    return ready > 0 ? 1 : ready;
  }

  int SetOption(TNetSocket s, int level, int option, std::int32_t value) override {
    int posixLevel = level;
    int posixOption = option;
    if (level == SocketLevel && option == SocketOptionBroadcast) {
      posixLevel = SOL_SOCKET;
      posixOption = SO_BROADCAST;
    } else if (level == ProtocolLevelTcp && option == TcpOptionNoDelay) {
      posixLevel = IPPROTO_TCP;
      posixOption = TCP_NODELAY;
    }
    return Check(::setsockopt(Fd(s), posixLevel, posixOption, &value, sizeof value));
  }

  int LocalEndpoint(TNetSocket s, TNetIPv4Endpoint& local) override {
    return Name(s, local, ::getsockname);
  }

  int PeerEndpoint(TNetSocket s, TNetIPv4Endpoint& peer) override {
    return Name(s, peer, ::getpeername);
  }

  bool LookupHost(const std::string& name, std::array<std::uint8_t, 4>& address) override {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (result != 0 || !found) {
      lastError_ = result != 0 ? WinsockNumberOfLookup(result) : WsaNoData;
      return false;
    }
    const auto* first = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    std::memcpy(address.data(), &first->sin_addr, 4);
    ::freeaddrinfo(found);
    return true;
  }

  std::int32_t LastError() override { return lastError_; }

  void CancelBlockingCall() override {}

 private:
  static int Fd(TNetSocket s) { return static_cast<int>(s); }
  static std::size_t Size(int count) { return count < 0 ? 0 : static_cast<std::size_t>(count); }

  template <typename T>
  T Fail(T result) {
    lastError_ = WinsockNumberOf(errno);
    return result;
  }

  int Check(int result) { return result < 0 ? Fail(-1) : result; }

  template <typename Query>
  int Name(TNetSocket s, TNetIPv4Endpoint& endpoint, Query query) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (query(Fd(s), reinterpret_cast<sockaddr*>(&address), &length) < 0) return Fail(-1);
    endpoint = FromSockaddr(address);
    return 0;
  }

  std::int32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<TNetStack> CreatePlatformStack() { return std::make_unique<TNetStackPosix>(); }

}  // namespace zerka

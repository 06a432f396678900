#include "sim/SimSocket.h"

#ifdef _WIN32
#define FD_SETSIZE 256
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstring>
#include <stdexcept>

namespace zerka::sim {

namespace {

#ifdef _WIN32
using socklen_type = int;
int LastError() { return WSAGetLastError(); }
bool IsWouldBlock(int error) { return error == WSAEWOULDBLOCK; }
bool IsInterrupted(int error) { return error == WSAEINTR; }
constexpr int kSendFlags = 0;
#else
using socklen_type = socklen_t;
int LastError() { return errno; }
bool IsWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }
bool IsInterrupted(int error) { return error == EINTR; }
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string(what) + " fehlgeschlagen, Fehler " + std::to_string(LastError()));
}

sockaddr_in ToSockaddr(const Endpoint& endpoint) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(endpoint.address);
  address.sin_port = htons(endpoint.port);
  return address;
}

Endpoint FromSockaddr(const sockaddr_in& address) {
  return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

IoResult FromCount(long count, bool zeroMeansClosed) {
  if (count > 0 || (count == 0 && !zeroMeansClosed)) return {IoStatus::Done, static_cast<std::size_t>(count)};
  if (count == 0) return {IoStatus::Closed, 0};
  const int error = LastError();
  if (IsWouldBlock(error) || IsInterrupted(error)) return {IoStatus::WouldBlock, 0};
#ifdef _WIN32
  if (error == WSAECONNRESET || error == WSAECONNABORTED) return {IoStatus::Closed, 0};
#else
  if (error == ECONNRESET || error == EPIPE) return {IoStatus::Closed, 0};
#endif
  return {IoStatus::Failed, 0};
}

}  // namespace

SocketSystem::SocketSystem() {
#ifdef _WIN32
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup fehlgeschlagen");
#endif
}

SocketSystem::~SocketSystem() {
#ifdef _WIN32
  WSACleanup();
#endif
}

Endpoint Endpoint::Parse(const std::string& dottedAddress, std::uint16_t port) {
  std::uint32_t address = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    std::size_t digits = 0;
    unsigned value = 0;
    while (i < dottedAddress.size() && dottedAddress[i] >= '0' && dottedAddress[i] <= '9' && digits < 3) {
      value = value * 10 + static_cast<unsigned>(dottedAddress[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || value > 255) break;
    address = (address << 8) | value;
    ++parts;
    if (parts < 4) {
      if (i >= dottedAddress.size() || dottedAddress[i] != '.') break;
      ++i;
    }
  }
  if (parts != 4 || i != dottedAddress.size()) throw std::runtime_error("keine IPv4-Adresse: " + dottedAddress);
  return {address, port};
}

std::string Endpoint::AddressText() const {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
         std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

NativeSocket Socket::InvalidHandle() {
#ifdef _WIN32
  return static_cast<NativeSocket>(INVALID_SOCKET);
#else
  return -1;
#endif
}

Socket::~Socket() { Close(); }

Socket::Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = InvalidHandle(); }

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = InvalidHandle();
  }
  return *this;
}

bool Socket::IsOpen() const { return handle_ != InvalidHandle(); }

Socket Socket::OpenUdp(const Endpoint& bindTo) {
  Socket socket(static_cast<NativeSocket>(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)));
  if (!socket.IsOpen()) Fail("socket");
  const sockaddr_in address = ToSockaddr(bindTo);
  if (::bind(socket.handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) Fail("bind");
  return socket;
}

Socket Socket::OpenTcpListener(const Endpoint& bindTo) {
  Socket socket(static_cast<NativeSocket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)));
  if (!socket.IsOpen()) Fail("socket");
#ifndef _WIN32
  // Lets a restarted simulator take its port back at once; on Windows the same option
  // would let another program steal the port, so it stays off there.
  const int yes = 1;
  setsockopt(socket.handle_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
  const sockaddr_in address = ToSockaddr(bindTo);
  if (::bind(socket.handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) Fail("bind");
  if (::listen(socket.handle_, 64) != 0) Fail("listen");
  return socket;
}

Socket Socket::ConnectTcp(const Endpoint& to) {
  Socket socket(static_cast<NativeSocket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)));
  if (!socket.IsOpen()) Fail("socket");
  const sockaddr_in address = ToSockaddr(to);
  if (::connect(socket.handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) Fail("connect");
  return socket;
}

Endpoint Socket::LocalEndpoint() const {
  sockaddr_in address{};
  socklen_type length = sizeof address;
  if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) Fail("getsockname");
  return FromSockaddr(address);
}

void Socket::SetNonBlocking() {
#ifdef _WIN32
  u_long on = 1;
  if (ioctlsocket(handle_, FIONBIO, &on) != 0) Fail("ioctlsocket");
#else
  const int flags = fcntl(handle_, F_GETFL, 0);
  if (flags < 0 || fcntl(handle_, F_SETFL, flags | O_NONBLOCK) != 0) Fail("fcntl");
#endif
}

std::optional<Socket> Socket::Accept() {
  const auto accepted = static_cast<NativeSocket>(::accept(handle_, nullptr, nullptr));
  if (accepted == InvalidHandle()) return std::nullopt;
  return Socket(accepted);
}

IoResult Socket::Send(std::string_view bytes) {
  const auto count = ::send(handle_, bytes.data(), static_cast<int>(bytes.size()), kSendFlags);
  return FromCount(static_cast<long>(count), false);
}

IoResult Socket::Receive(char* buffer, std::size_t size) {
  const auto count = ::recv(handle_, buffer, static_cast<int>(size), 0);
  return FromCount(static_cast<long>(count), true);
}

IoResult Socket::SendTo(std::string_view bytes, const Endpoint& to) {
  const sockaddr_in address = ToSockaddr(to);
  const auto count = ::sendto(handle_, bytes.data(), static_cast<int>(bytes.size()), kSendFlags,
                              reinterpret_cast<const sockaddr*>(&address), sizeof address);
  return FromCount(static_cast<long>(count), false);
}

IoResult Socket::ReceiveFrom(char* buffer, std::size_t size, Endpoint& from) {
  sockaddr_in address{};
  socklen_type length = sizeof address;
  const auto count = ::recvfrom(handle_, buffer, static_cast<int>(size), 0,
                                reinterpret_cast<sockaddr*>(&address), &length);
#ifdef _WIN32
  if (count < 0) {
    // Winsock reports an earlier reply's "port unreachable" on the next receive, and a
    // datagram larger than the buffer as an error although its first bytes were delivered.
    const int error = LastError();
    if (error == WSAECONNRESET) return {IoStatus::WouldBlock, 0};
    if (error == WSAEMSGSIZE) {
      from = FromSockaddr(address);
      return {IoStatus::Done, size};
    }
  }
#endif
  const IoResult result = FromCount(static_cast<long>(count), false);
  if (result.status == IoStatus::Done) from = FromSockaddr(address);
  return result;
}

void Socket::ShutdownSend() {
#ifdef _WIN32
  ::shutdown(handle_, SD_SEND);
#else
  ::shutdown(handle_, SHUT_WR);
#endif
}

void Socket::Close() {
  if (!IsOpen()) return;
#ifdef _WIN32
  ::closesocket(handle_);
#else
  ::close(handle_);
#endif
  handle_ = InvalidHandle();
}

void Socket::CloseWithReset() {
  if (!IsOpen()) return;
  linger abortive{};
  abortive.l_onoff = 1;
  abortive.l_linger = 0;
  setsockopt(handle_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof abortive);
  Close();
}

bool WaitReady(std::vector<WaitItem>& items, std::chrono::milliseconds timeout) {
  for (auto& item : items) item.readable = item.writable = false;
  const auto millis = static_cast<int>(timeout.count() < 0 ? 0 : timeout.count());
#ifdef _WIN32
  fd_set readSet;
  fd_set writeSet;
  FD_ZERO(&readSet);
  FD_ZERO(&writeSet);
  for (const auto& item : items) {
    if (item.wantRead) FD_SET(static_cast<SOCKET>(item.socket->Native()), &readSet);
    if (item.wantWrite) FD_SET(static_cast<SOCKET>(item.socket->Native()), &writeSet);
  }
  timeval wait{millis / 1000, (millis % 1000) * 1000};
  const int ready = ::select(0, &readSet, &writeSet, nullptr, &wait);
  if (ready <= 0) return false;
  for (auto& item : items) {
    const auto handle = static_cast<SOCKET>(item.socket->Native());
    item.readable = item.wantRead && FD_ISSET(handle, &readSet);
    item.writable = item.wantWrite && FD_ISSET(handle, &writeSet);
  }
#else
  std::vector<pollfd> polls;
  polls.reserve(items.size());
  for (const auto& item : items) {
    short events = 0;
    if (item.wantRead) events |= POLLIN;
    if (item.wantWrite) events |= POLLOUT;
    polls.push_back({item.socket->Native(), events, 0});
  }
  const int ready = ::poll(polls.data(), polls.size(), millis);
  if (ready <= 0) return false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    // An error or hang-up shows as readiness, so the next read or write reports it.
    const short broken = POLLERR | POLLHUP | POLLNVAL;
    items[i].readable = items[i].wantRead && (polls[i].revents & (POLLIN | broken));
    items[i].writable = items[i].wantWrite && (polls[i].revents & (POLLOUT | broken));
  }
#endif
  return true;
}

}  // namespace zerka::sim

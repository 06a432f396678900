#include "ScriptedPeer.h"

#include <algorithm>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zerka::test {
namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr int SendFlags = 0;
void CloseNative(NativeSocket s) { closesocket(s); }
struct WinsockStart {
  WinsockStart() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};
#else
using NativeSocket = int;
constexpr int SendFlags = MSG_NOSIGNAL;
void CloseNative(NativeSocket s) { ::close(s); }
#endif

NativeSocket Native(std::intptr_t s) { return static_cast<NativeSocket>(s); }

constexpr auto Slice = std::chrono::milliseconds(20);

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<Reply> script, int port) : script_(std::move(script)) {
#ifdef _WIN32
  static WinsockStart started;
#endif
  const NativeSocket s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  int reuse = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(s, 4) != 0) {
    CloseNative(s);
    return;
  }
#ifdef _WIN32
  int length = sizeof address;
#else
  socklen_t length = sizeof address;
#endif
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listener_ = static_cast<Socket>(s);
  thread_ = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (connection_ != InvalidSocket) CloseNative(Native(connection_));
  if (listener_ != InvalidSocket) CloseNative(Native(listener_));
}

std::vector<ScriptedPeer::Request> ScriptedPeer::Requests(std::size_t count,
                                                          std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
  return requests_;
}

bool ScriptedPeer::WaitClientClosed(int connection, std::chrono::milliseconds timeout) {
  return WaitClosed(closedByClient_, connection, timeout);
}

bool ScriptedPeer::WaitServerClosed(int connection, std::chrono::milliseconds timeout) {
  return WaitClosed(closedByServer_, connection, timeout);
}

bool ScriptedPeer::WaitClosed(const std::vector<int>& closed, int connection,
                              std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return std::find(closed.begin(), closed.end(), connection) != closed.end();
  });
}

bool ScriptedPeer::Pause(int ms) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stop_; });
}

bool ScriptedPeer::Stopping() {
  std::lock_guard lock(mutex_);
  return stop_;
}

void ScriptedPeer::Run() {
  for (const Reply& reply : script_) {
    std::string head;
    while (connection_ == InvalidSocket || !ReadHead(head)) {
      if (connection_ != InvalidSocket) CloseConnection(true);
      if (!AcceptNext()) return;
    }
    {
      std::lock_guard lock(mutex_);
      requests_.push_back({connectionNumber_, head});
    }
    changed_.notify_all();
    Send(reply);
    if (reply.After == Then::Close) {
      if (!Pause(reply.CloseAfterMs)) return;
      CloseConnection(false);
    }
    if (reply.After == Then::Hold) HoldUntilClientCloses();
  }
  if (connection_ != InvalidSocket) HoldUntilClientCloses();
}

bool ScriptedPeer::WaitReadable(Socket s) {
  while (!Stopping()) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Native(s), &readable);
    timeval limit{0, static_cast<long>(std::chrono::microseconds(Slice).count())};
    if (::select(static_cast<int>(Native(s)) + 1, &readable, nullptr, nullptr, &limit) > 0) {
      return true;
    }
  }
  return false;
}

bool ScriptedPeer::AcceptNext() {
  if (!WaitReadable(listener_)) return false;
  const NativeSocket s = ::accept(Native(listener_), nullptr, nullptr);
  connection_ = static_cast<Socket>(s);
  pending_.clear();
  ++connectionNumber_;
  return true;
}

bool ScriptedPeer::ReadHead(std::string& head) {
  for (;;) {
    const auto end = pending_.find("\r\n\r\n");
    if (end != std::string::npos) {
      head = pending_.substr(0, end + 4);
      pending_.erase(0, end + 4);
      return true;
    }
    if (!WaitReadable(connection_)) return false;
    char buffer[4096];
    const int received = static_cast<int>(::recv(Native(connection_), buffer, sizeof buffer, 0));
    if (received <= 0) return false;
    pending_.append(buffer, static_cast<std::size_t>(received));
  }
}

void ScriptedPeer::Send(const Reply& reply) {
  std::size_t from = 0;
  while (from < reply.Bytes.size()) {
    std::size_t to = reply.Bytes.size();
    if (reply.PaceMs > 0) {
      const auto lineEnd = reply.Bytes.find('\n', from);
      to = lineEnd == std::string::npos ? to : lineEnd + 1;
    }
    const int sent = static_cast<int>(::send(Native(connection_), reply.Bytes.data() + from,
                                             static_cast<int>(to - from), SendFlags));
    if (sent <= 0) return;
    from += static_cast<std::size_t>(sent);
    if (reply.PaceMs > 0 && from < reply.Bytes.size() && !Pause(reply.PaceMs)) return;
  }
}

void ScriptedPeer::HoldUntilClientCloses() {
  while (WaitReadable(connection_)) {
    char buffer[4096];
    if (::recv(Native(connection_), buffer, sizeof buffer, 0) <= 0) {
      CloseConnection(true);
      return;
    }
  }
}

void ScriptedPeer::CloseConnection(bool byClient) {
  CloseNative(Native(connection_));
  connection_ = InvalidSocket;
  {
    std::lock_guard lock(mutex_);
    (byClient ? closedByClient_ : closedByServer_).push_back(connectionNumber_);
  }
  changed_.notify_all();
}

}  // namespace zerka::test

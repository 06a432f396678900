#pragma once
// A scripted TCP server on 127.0.0.1 for tests of the stream and HTTP clients. It runs on
// its own thread: for every scripted reply it waits for one request head (up to an empty
// line), records it with the number of the connection it came on, sends the reply and then
// keeps the connection, closes it, or holds it silently until the client goes. A client that
// closes between requests is met on a new connection.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zerka::test {

class ScriptedPeer {
 public:
  enum class Then { KeepOpen, Close, Hold };

  struct Reply {
    std::string Bytes;
    Then After = Then::KeepOpen;
    // When above 0, the reply goes out one line at a time, this far apart.
    int PaceMs = 0;
    // With Then::Close, how long the connection stays open after the reply.
    int CloseAfterMs = 0;
  };

  struct Request {
    int Connection;  // 0 for the first accepted connection, then counting up
    std::string Head;
  };

  // Listens on 127.0.0.1:port (0: any free port). Check Listening() for a fixed port.
  explicit ScriptedPeer(std::vector<Reply> script, int port = 0);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  bool Listening() const { return listener_ != InvalidSocket; }
  int Port() const { return port_; }

  // The requests received so far, after waiting up to timeout for at least count of them.
  std::vector<Request> Requests(std::size_t count = 0,
                                std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Waits up to timeout until the client has closed connection number connection.
  bool WaitClientClosed(int connection,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Waits up to timeout until this peer has closed connection number connection.
  bool WaitServerClosed(int connection,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  using Socket = std::intptr_t;
  static constexpr Socket InvalidSocket = -1;

  void Run();
  bool AcceptNext();
  // Reads one request head from the current connection; false when the client closed it.
  bool ReadHead(std::string& head);
  // Waits until the connection is readable or the peer is stopped; false when stopped.
  bool WaitReadable(Socket s);
  void Send(const Reply& reply);
  void HoldUntilClientCloses();
  void CloseConnection(bool byClient);
  bool Stopping();
  // Waits up to ms unless the peer is stopped; false when stopped.
  bool Pause(int ms);
  bool WaitClosed(const std::vector<int>& closed, int connection,
                  std::chrono::milliseconds timeout);

  std::vector<Reply> script_;
  Socket listener_ = InvalidSocket;
  Socket connection_ = InvalidSocket;
  int connectionNumber_ = -1;
  int port_ = 0;
  std::string pending_;  // bytes after the last request head

  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  std::vector<Request> requests_;
  std::vector<int> closedByClient_;
  std::vector<int> closedByServer_;
  std::thread thread_;
};

}  // namespace zerka::test

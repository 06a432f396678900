#pragma once
// Plain loopback sockets for talking to the simulated server the way any client would,
// each wait bounded so a silent server fails a test instead of hanging it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/SimSocket.h"

namespace zerka::sim::test {

using namespace std::chrono_literals;

std::string Request(std::uint16_t sequence, std::uint8_t code);

class DatagramClient {
 public:
  explicit DatagramClient(std::uint16_t serverPort);
  void Send(const std::string& bytes);
  // The next datagram, or nothing when none arrives within the bound.
  std::optional<std::string> Receive(std::chrono::milliseconds bound = 2000ms);

 private:
  Socket socket_;
  Endpoint server_;
};

class StreamClient {
 public:
  explicit StreamClient(std::uint16_t port);
  void Send(const std::string& bytes);
  // Exactly that many bytes; fewer when the server closes or the bound passes.
  std::string Read(std::size_t count, std::chrono::milliseconds bound = 2000ms);
  // Whether the server ended the stream (orderly or by reset) within the bound.
  bool ClosedByServer(std::chrono::milliseconds bound = 2000ms);
  // One HTTP answer: head and the body its Content-Length announces.
  std::string ReadHttpAnswer(std::chrono::milliseconds bound = 2000ms);

 private:
  Socket socket_;
  std::string buffered_;
  bool closed_ = false;
  bool Fill(std::chrono::milliseconds bound);
};

}  // namespace zerka::sim::test

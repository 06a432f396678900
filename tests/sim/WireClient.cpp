#include "WireClient.h"

#include <stdexcept>
#include <vector>

#include "sim/HttpHead.h"

namespace zerka::sim::test {

namespace {

const Endpoint kLoopback = Endpoint::Parse("127.0.0.1", 0);

bool WaitReadable(const Socket& socket, std::chrono::milliseconds bound) {
  std::vector<WaitItem> items{{&socket, true}};
  return WaitReady(items, bound) && items[0].readable;
}

}  // namespace

std::string Request(std::uint16_t sequence, std::uint8_t code) {
  return {static_cast<char>(sequence & 0xFF), static_cast<char>(sequence >> 8), static_cast<char>(code)};
}

DatagramClient::DatagramClient(std::uint16_t serverPort)
    : socket_(Socket::OpenUdp(kLoopback)), server_{kLoopback.address, serverPort} {}

void DatagramClient::Send(const std::string& bytes) {
  if (socket_.SendTo(bytes, server_).status != IoStatus::Done) throw std::runtime_error("sendto failed");
}

std::optional<std::string> DatagramClient::Receive(std::chrono::milliseconds bound) {
  if (!WaitReadable(socket_, bound)) return std::nullopt;
  char buffer[2048];
  Endpoint from;
  const IoResult result = socket_.ReceiveFrom(buffer, sizeof buffer, from);
  if (result.status != IoStatus::Done) return std::nullopt;
  return std::string(buffer, result.bytes);
}

StreamClient::StreamClient(std::uint16_t port) : socket_(Socket::ConnectTcp({kLoopback.address, port})) {}

void StreamClient::Send(const std::string& bytes) {
  if (socket_.Send(bytes).status != IoStatus::Done) throw std::runtime_error("send failed");
}

bool StreamClient::Fill(std::chrono::milliseconds bound) {
  if (closed_ || !WaitReadable(socket_, bound)) return false;
  char buffer[4096];
  const IoResult result = socket_.Receive(buffer, sizeof buffer);
  if (result.status != IoStatus::Done) {
    closed_ = true;
    return false;
  }
  buffered_.append(buffer, result.bytes);
  return true;
}

std::string StreamClient::Read(std::size_t count, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (buffered_.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !Fill(left)) break;
  }
  const std::string taken = buffered_.substr(0, count);
  buffered_.erase(0, taken.size());
  return taken;
}

bool StreamClient::ClosedByServer(std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!closed_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || (!Fill(left) && !closed_)) break;
  }
  return closed_;
}

std::string StreamClient::ReadHttpAnswer(std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  auto left = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  };
  while (!FindHeadEnd(buffered_)) {
    if (left().count() <= 0 || !Fill(left())) return Read(buffered_.size(), 0ms);
  }
  const std::size_t headLength = *FindHeadEnd(buffered_);
  const std::string head = buffered_.substr(0, headLength);
  std::size_t bodyLength = 0;
  const std::size_t field = head.find("\r\nContent-Length: ");
  if (field != std::string::npos) bodyLength = std::stoul(head.substr(field + 18));
  return Read(headLength + bodyLength, left());
}

}  // namespace zerka::sim::test

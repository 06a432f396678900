// The polling cycle of the monitor window against the simulated server on loopback, beside
// its physical floor: the same wire work done with bare sockets (one stream connection that
// fetches the 32-byte record, two datagram queries, each after a 3 ms drain of the datagram
// socket). The ratio of the two medians is the cycle's overhead. CPU time is the calling
// thread's; the server runs on a thread of its own.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "framework/Application.h"
#include "monitor/Unit1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sim/SimServer.h"

namespace zerka {
namespace {

using namespace std::chrono_literals;

const std::string kSettingsPath = "Software\\Velmarin\\Zerka 2 Remote 2";

std::unique_ptr<sim::SimServer> ConnectedServer() {
  sim::ServerOptions options;
  options.clock = std::make_shared<sim::ManualClock>();
  auto server = std::make_unique<sim::SimServer>(options);
  server->WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 60s, 120s); });
  return server;
}

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

// One datagram query the shortest way: drain for 3 ms, send, wait for the reply.
void BareQuery(int datagrams, const sockaddr_in& server, std::uint16_t sequence, std::uint8_t code) {
  pollfd ready{datagrams, POLLIN, 0};
  std::array<std::uint8_t, 256> buffer{};
  if (::poll(&ready, 1, 3) > 0) ::recv(datagrams, buffer.data(), buffer.size(), 0);
  const std::uint8_t request[3] = {static_cast<std::uint8_t>(sequence & 0xFF), static_cast<std::uint8_t>(sequence >> 8),
                                   code};
  Check(::sendto(datagrams, request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 3,
        "sendto");
  Check(::poll(&ready, 1, 500) == 1, "no datagram reply");
  Check(::recv(datagrams, buffer.data(), buffer.size(), 0) > 0, "recv");
}

// The line-status exchange the shortest way: connect, request, read type and record, close.
void BareLineStatus(const sockaddr_in& server) {
  const int stream = ::socket(AF_INET, SOCK_STREAM, 0);
  Check(stream >= 0, "socket");
  Check(::connect(stream, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0, "connect");
  Check(::send(stream, "0\r\n", 3, MSG_NOSIGNAL) == 3, "send");
  std::array<std::uint8_t, 36> answer{};
  std::size_t got = 0;
  while (got < answer.size()) {
    const ssize_t n = ::recv(stream, answer.data() + got, answer.size() - got, 0);
    Check(n > 0, "record");
    got += static_cast<std::size_t>(n);
  }
  ::close(stream);
}

void PhysicalFloor(benchmark::State& state) {
  const auto server = ConnectedServer();
  const sockaddr_in remote = Loopback(server->RemotePort());
  const int datagrams = ::socket(AF_INET, SOCK_DGRAM, 0);
  std::uint16_t sequence = 0;
  for (auto _ : state) {
    BareLineStatus(remote);
    BareQuery(datagrams, remote, ++sequence, 2);
    BareQuery(datagrams, remote, ++sequence, 7);
  }
  ::close(datagrams);
}

void PollingCycle(benchmark::State& state) {
  const auto server = ConnectedServer();
  headless::THeadlessPlatform platform;
  platform.Store.PutString(kSettingsPath, "Proxy Host", "127.0.0.1");
  platform.Store.PutString(kSettingsPath, "Proxy Port", std::to_string(server->RemotePort()));
  platform.Store.PutString(kSettingsPath, "Abfrageinterval", "1000");
  platform.Store.PutString(kSettingsPath, "Aktiviert", "1");
  TApplication application;
  application.ShowMainForm = false;
  auto* form = new TZerka2Remote2Config(&application);
  std::int64_t cycles = 0;
  for (auto _ : state) {
    platform.Loop.Advance(form->Timer1->Interval());
    if (++cycles % 1000 == 0) platform.Tray.Calls.clear();
  }
  if (!form->Timer1->Enabled()) state.SkipWithError(form->StatusBar1->SimpleText().c_str());
}

BENCHMARK(PhysicalFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(PollingCycle)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace zerka

BENCHMARK_MAIN();

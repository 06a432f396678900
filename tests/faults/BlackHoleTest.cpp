// A host that swallows every packet, met by the client under a short connect bound. Only
// meaningful inside the network namespace that blackhole.sh builds, which names the host.

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Latin1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "net/NetTCPClient.h"
#include "remote/Zerka2Remote.h"

namespace zerka {
namespace {

constexpr std::int32_t kConnectBoundMs = 300;
// What scheduling and the sanitizers may add to a bounded wait.
constexpr std::int64_t kSlackMs = 600;

TEST(BlackHole, ConnectGivesUpAtItsBound) {
  const char* host = std::getenv("ZERKA_BLACKHOLE_HOST");
  if (!host) GTEST_SKIP() << "runs only from blackhole.sh";
  headless::THeadlessPlatform platform;
  TZerka2Remote remote;
  remote.SetHost(host);
  remote.SetPort(TZerka2Remote::DefaultPort);
  remote.StreamClient().ConnectTimeout = kConnectBoundMs;
  std::vector<std::string> reported;
  remote.SetOnError([&](TComponent*, const std::string& text) { reported.push_back(text); });
  const auto start = std::chrono::steady_clock::now();
  remote.RefreshLineStatus();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "Socket-Fehler # 10060\r\n"_l1 + "Zeitüberschreitung bei Verbindung."_l1);
  EXPECT_GE(took, kConnectBoundMs - 50);
  EXPECT_LE(took, kConnectBoundMs + kSlackMs);
}

}  // namespace
}  // namespace zerka

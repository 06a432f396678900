// Many polling cycles in a row against the simulated server: every one completes, and the
// resident memory stays flat once the first tenth has warmed the caches up. Leaks are left to
// LeakSanitizer in the sanitizer build, where the check on resident memory means nothing
// (freed memory waits in the quarantine there).
//
// ZERKA_SOAK_CYCLES sets the number of cycles (default 2000; the full run is 100000).

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/faults/ResidentMemory.h"
#include "tests/monitor/MonitorFixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZERKA_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZERKA_SOAK_SANITIZED 1
#endif
#endif

namespace zerka {
namespace {

using namespace std::chrono_literals;

constexpr long kDefaultCycles = 2000;
// Growth of the resident memory after the warm-up that still counts as noise.
constexpr std::int64_t kNoiseBytes = 1024 * 1024;

long SoakCycles() {
  const char* text = std::getenv("ZERKA_SOAK_CYCLES");
  if (!text) return kDefaultCycles;
  const long cycles = std::strtol(text, nullptr, 10);
  return cycles > 0 ? cycles : kDefaultCycles;
}

using Soak = MonitorTest;

TEST_F(Soak, PollingCyclesKeepTheMemoryFlat) {
  sim.WithLine([](sim::LineModel& line) { line.SetConnected("10.1.2.3", 60s, 120s); });
  SeedPolling();
  Start();

  const long cycles = SoakCycles();
  const long sampleEvery = std::max(1L, cycles / 10);
  std::vector<std::int64_t> samples;
  long completed = 0;
  for (long cycle = 1; cycle <= cycles; ++cycle) {
    // The line moves on now and then, so the fields, tip and picture change too.
    if (cycle % 100 == 0) clock->Advance(1s);
    Tick();
    if (EndsWith(StatusLine(), " Proxy-Anfrage abgeschlossen")) ++completed;
    if (cycle % sampleEvery == 0) {
      // The test platform records every call to the notification area; only the product's
      // own memory is of interest.
      platform.Tray.Calls.clear();
      platform.Tray.Calls.shrink_to_fit();
      if (const auto resident = testing::ResidentBytes()) samples.push_back(*resident);
    }
  }
  EXPECT_EQ(completed, cycles);
  EXPECT_TRUE(form->Timer1->Enabled());
  EXPECT_EQ(sim.GetTraffic().streamConnections, static_cast<std::uint64_t>(cycles));
  EXPECT_EQ(sim.GetTraffic().datagramsByCode[2], static_cast<std::uint64_t>(cycles));

  std::string trace;
  for (const auto sample : samples) trace += std::to_string(sample / 1024) + " KiB ";
  std::cout << "[ SOAK     ] " << cycles << " cycles, resident memory every " << sampleEvery
            << " cycles: " << trace << std::endl;
#ifdef ZERKA_SOAK_SANITIZED
  std::cout << "[ SOAK     ] resident memory not judged under AddressSanitizer; LeakSanitizer checks leaks at exit"
            << std::endl;
#else
  if (samples.size() < 2) GTEST_SKIP() << "no reading of the resident memory on this system";
  EXPECT_LE(samples.back() - samples.front(), kNoiseBytes) << trace;
#endif
}

}  // namespace
}  // namespace zerka

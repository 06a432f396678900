#pragma once
// The process's resident memory, for tests that hold it under a ceiling. Only Linux tells it
// cheaply (/proc); elsewhere the reading is empty and the memory checks are skipped.

#include <cstdint>
#include <optional>

#ifdef __linux__
#include <unistd.h>

#include <fstream>
#endif

namespace zerka::testing {

inline std::optional<std::int64_t> ResidentBytes() {
#ifdef __linux__
  std::ifstream statm("/proc/self/statm");
  std::int64_t sizePages = 0;
  std::int64_t residentPages = 0;
  if (!(statm >> sizePages >> residentPages)) return std::nullopt;
  return residentPages * static_cast<std::int64_t>(sysconf(_SC_PAGESIZE));
#else
  return std::nullopt;
#endif
}

}  // namespace zerka::testing

#pragma once

#include <cstdint>

namespace zerka {

// Waits take signed 32-bit milliseconds; these two values are not durations.
constexpr std::int32_t TimeoutInfinite = -2;
constexpr std::int32_t TimeoutDefault = -1;

// The platform's socket type numbers.
enum class TNetSocketKind : int { Stream = 1, Datagram = 2 };

}  // namespace zerka

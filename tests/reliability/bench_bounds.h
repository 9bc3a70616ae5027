#pragma once
// The wait bound every bench hands its tool, and how long a run may take. Short, so a
// fault that runs a bound out costs a fraction of a second; longer under the sanitizers,
// which slow the tools and the emulator several times over.

#include <chrono>

#include "tests/reliability/bench.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TARVEX_RELIABILITY_SLOW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TARVEX_RELIABILITY_SLOW 1
#endif
#endif

namespace tarvex::reliability {

#ifdef TARVEX_RELIABILITY_SLOW
inline constexpr Duration kBenchBound = std::chrono::milliseconds(1000);
#else
inline constexpr Duration kBenchBound = std::chrono::milliseconds(250);
#endif

// The longest a run may take: the 300 ms handshake and the bounds a failing operation runs
// out one after the other (a connection check that loses every register read), with room
// for a busy machine.
inline constexpr Duration kRunLimit = std::chrono::milliseconds(1500) + 12 * kBenchBound;
// A run still going at this point has hung.
inline constexpr Duration kHangLimit = 4 * kRunLimit;

}  // namespace tarvex::reliability

#pragma once
// Measuring an operation of several link sessions (a PhaseChain) as the window runs it:
// each session's work on a thread of its own.

#include "bench/bench_support.h"
#include "bench/timing_bus.h"
#include "emulator/emulated_adapter.h"
#include "frame/phase_chain.h"

namespace tarvex::bench {

// What to time: the whole chain from the click, or only its sessions' work on the workers
// (for tools whose single-session rows are timed from the worker's start).
enum class ChainSpan { kFromClick, kWorkOnly };

// The time and the CPU of the calling thread (the phases' own parts, from the click only)
// and of the workers; the host's reactions over every session.
Measurement measureChain(emu::EmulatedAdapter& adapter, TimingBus& bus, PhaseChain chain,
                         ChainSpan span = ChainSpan::kFromClick);

}  // namespace tarvex::bench

#!/usr/bin/env bash
# Writes docs/PERFORMANCE.md: every streaming operation against the software adapter with
# the wire model on, measured against the modelled lower bound, with the host's reaction
# times, its CPU share and the longest stall of the user-interface thread.
#   scripts/perf.sh [output file]
# Takes about two minutes. Run it on an otherwise quiet machine: other processes competing
# for the cores show up as late reactions, and the file records the load it ran under.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
out=${1:-docs/PERFORMANCE.md}
build=${TARVEX_PERF_BUILD:-build-perf}
benches=(bench_edid bench_kb90 bench_mec16 bench_ite bench_keyboard bench_ui_stall)

# The benchmarks' output is kept in $build/perf.log; TARVEX_PERF_REUSE=1 writes the file
# from the last run's log without running them again.
log="$build/perf.log"
if [ "${TARVEX_PERF_REUSE:-0}" != 1 ]; then
  ensure_packages "${tarvex_build_packages[@]}"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target "${benches[@]}" >/dev/null
  : >"$log"
  echo "load $(cut -d' ' -f1-3 /proc/loadavg)" >>"$log"
  export QT_QPA_PLATFORM=offscreen
  for b in "${benches[@]}"; do
    echo "== $b" >&2
    "$build/bench/$b" | tee -a "$log" | grep -v -E '^(row|stall|load)	' >&2
  done
  echo "== bench_kb90 --adapter-time" >&2
  "$build/bench/bench_kb90" --adapter-time | tee -a "$log" | grep -v -E '^(row|stall)	' >&2
  echo "load $(cut -d' ' -f1-3 /proc/loadavg)" >>"$log"
  date -u '+%Y-%m-%d %H:%M UTC' >"$build/perf.date"
fi
load_before=$(sed -n 's/^load //p' "$log" | head -1)
load_after=$(sed -n 's/^load //p' "$log" | tail -1)

cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
mkdir -p "$(dirname "$out")"
{
cat <<'HEADER'
# Performance

Written by `scripts/perf.sh` (do not edit by hand; run the script again). Every streaming
operation runs against the software adapter with its wire model on, so the emulated line
is as slow as the real one, and the host code is the program's own: the tools' operations
for the timings, their real windows (offscreen) for the user-interface thread.

## Results

HEADER
echo "Targets: ratio at most 1.05, p99 reaction at most 100 µs, host CPU at most 5 % of one"
echo "core, user-interface stall at most 50 ms. A figure that misses its target is **marked**."
echo
awk -F'\t' '
  function mark(text, bad) { return bad ? "**" text "**" : text }
  $1 == "row" {
    op = $2; order[++n] = op
    model[op] = $3; measured[op] = $4; ratio[op] = $5; median[op] = $6; p99[op] = $7
    samples[op] = $8; cpu[op] = $9; ok[op] = $10; note[op] = $11; work[op] = $13
  }
  $1 == "stall" {
    handler[$2] = $3; stall[$2] = $4; uiok[$2] = $6
    # Without a worker the operation runs on the user-interface thread: the row has its CPU.
    if ($7 == "worker") uicpu[$2] = $5
  }
  END {
    print "| Operation | Modelled (s) | Measured (s) | Ratio | Reaction median (µs) | Reaction p99 (µs) | of which host work, p99 (µs) | Host CPU (% of a core) | UI stall while streaming (ms) | Click handler (ms) | Run |"
    print "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|"
    for (i = 1; i <= n; i++) {
      op = order[i]
      base = op; sub(/ \(.*\)$/, "", base)
      total = cpu[op] + ((base in uicpu) && op == base ? uicpu[base] : 0)
      cputext = sprintf("%.2f", total)
      if (base in uicpu && op == base) cputext = sprintf("%.2f (worker %.2f + UI %.2f)", total, cpu[op], uicpu[base])
      stalltext = (base in stall && op == base) ? mark(sprintf("%.1f", stall[base]), stall[base] > 50) : "–"
      handlertext = (base in handler && op == base) ? sprintf("%.0f", handler[base]) : "–"
      run = (ok[op] == "ok" && (!(base in uiok) || uiok[base] == "ok")) ? "data checked" : "**FAILED**"
      printf "| %s | %.3f | %.3f | %s | %.1f | %s | %.1f | %s | %s | %s | %s |\n", op, model[op], measured[op],
             mark(sprintf("%.3f", ratio[op]), ratio[op] > 1.05), median[op],
             mark(sprintf("%.1f", p99[op]), p99[op] > 100), work[op], mark(cputext, total > 5), stalltext,
             handlertext, run
    }
    print ""
    print "What each run does:"
    print ""
    for (i = 1; i <= n; i++) printf "- %s: %s (%d reaction samples).\n", order[i], note[order[i]], samples[order[i]]
  }' "$log"
echo
echo "Measured on: $(nproc) × ${cpu_model:-unknown CPU}, $(uname -sr), commit $commit, $(cat "$build/perf.date")."
echo "Load average (1, 5, 15 min) before the run: $load_before; after: $load_after."
cat <<'BODY'

## How the model works

The software adapter (`emulator/`) runs its firmware on a thread of its own and, with the
wire model on (`emulator/wire_model.h`), hands bytes across as the real line would:

- The line runs at 921600 bit/s, 8N1: ten bit times, about 10.85 µs, per byte.
- A host write leaves with the next 1 ms USB full-speed frame; its bytes then reach the
  firmware one byte time apart.
- A reply reaches the host in USB packets of up to 62 payload bytes. A full packet leaves
  as soon as its last byte is in; a short one waits in the FTDI chip for the latency timer
  (2 ms, which the link sets after the handshake or, for some tools, before it; otherwise
  16 ms, the chip's default, for the handshake),
  counted from its first byte. Either way the host sees it at the next frame boundary.
- A delivery thread makes each byte visible to the host at that moment, and the adapter
  records the host's reaction: the time from a reply becoming visible to the host's next
  request arriving. A timing layer in front of the device (`bench/timing_bus.h`) splits off
  the host's own work in it: from the wait for the reply coming back to the next write.
  The rest of a reaction is the time the host thread took to be woken and given a core.

The modelled lower bound (`bench/bench_support.h`, `IdealLine`) replays the operation's
exchanges (request sizes, reply sizes, the firmware's work times) through the same wire
model for a host that answers every reply the moment it shows: its next request still
waits for the next USB frame. It starts at the same moment as the measured run, so short
operations see the same frame boundaries. The ratio is measured time over that bound:
1.00 means the host added nothing the line would notice.

Host CPU is the CPU time of the threads that run the measured part (the worker, and the
click handler where the row includes it; for EDID, which has no worker, the
user-interface thread) over the measured wall time, plus the
user-interface thread's own CPU while the window runs the same operation (log lines and
gauges handed over from the worker). The user-interface stall is how late a 2 ms timer on
that thread fires while the worker streams, through the real window; the probe's own CPU
is measured first and taken off. The click handler's time (handshake, connect step, file
dialog answered at once) is shown apart: it runs before the worker exists.

## What the model leaves out

- The adapter firmware's and the chips' own work times, unless a row says otherwise: the
  rows measure the host against the wire, so the wire alone paces them. The KB90xx row
  "(controller work times)" adds made-up erase, block and checksum times to show they pass
  through unchanged; real chips differ.
- USB itself: other devices on the bus, hubs, the host controller's scheduling, the kernel
  driver's and D2XX's own latency. The real FTDI chip also merges back-to-back short
  replies into one packet, which the model treats as separate packets.
- The real serial backend: here the device layer is the in-process emulator, whose waits
  are condition variables; on a real port they are `poll()` on the tty.
- Disk: image files go to the machine's temporary directory and are synced on close; a
  slow disk or a full one is a different story (the fault tests cover the latter).
- The machine: a shared or busy host shows late reactions as the scheduler lets other
  processes run first. The load average above says how busy it was.

## Notes on the figures

- A request goes out with the next USB frame whether the host reacts in 10 µs or 900 µs,
  so the ratio stays near 1.00 unless the host misses frames; what is left above 1.00 is
  the odd reaction that did. The EDID operations are only 10 to 20 frames long: one frame
  missed there is 5 to 10 %.
- The reaction median (tens of µs) is the host's own work: waking on the reply, storing a
  block (reads), handing the progress to the window, writing the next request. The reads
  store each block before asking for the next, so that a block that cannot be stored ends
  the read before more is asked for; their host-work column is larger for it.
- The p99 is set by the scheduler more than by the program: on a 2-core machine with other
  work running the worker now and then waits for a core, and with 200 to 500 samples the
  p99 is the second to fifth largest of them (with the keyboard scan's 51, the largest),
  so one such wait moves it. A p99 over 100 µs
  goes with a high load average above or with a host-work p99 near it (a slow write to the
  page cache). Neither costs time: requests leave on 1 ms frames, as the ratio shows.
- The ITE click handlers take about 300 ms more than the others: the link reads the ITE
  firmware's text tag asking for up to 32 bytes, and the read returns only when its 300 ms
  timeout runs out, because the tag is shorter. The window does not respond meanwhile.
  The KB90xx and MEC16 handlers spend most of their 25–40 ms on the handshake's 3-byte
  reply, which waits for the chip's default 16 ms latency timer.
- EDID runs entirely on the user-interface thread, so its whole duration is a stall: about
  10–20 ms against the emulated EEPROM, which answers at once. A real EEPROM takes longer
  to program; the stall grows with it.
- The ITE write acknowledges every programmed byte: about 3 ms a byte on the modelled line
  (a USB frame for the request, the latency timer for the one-byte reply). The run writes
  2048 bytes; an image with no erased (FFh) bytes at all would take over six minutes. That
  is the adapter protocol's cost, not the host's.
- The keyboard scan is paced by its 100 ms timer; its ratio only shows that no request
  missed its tick.
BODY
} > "$out"
echo "wrote $out" >&2

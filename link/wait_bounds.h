#pragma once
// Every bound on a wait for the adapter, in one place. A bound that runs out ends the
// operation along its failure path with a clear log line; none of them is a pacing delay.
// The values are generous: a healthy adapter answers in microseconds to a few seconds,
// so a bound only ever fires on a stalled, confused or unplugged adapter.

#include <chrono>

namespace tarvex::bounds {

using namespace std::chrono_literals;

// The read timeout during the handshake ('B' answered by the firmware tag), and the
// timeout the ITE firmware keeps for its one-byte replies and flash-byte acknowledgements.
inline constexpr auto kHandshakeRead = 300ms;
inline constexpr auto kHandshakeWrite = 300ms;

// A short reply to a single command (a tag, a status, a register value, an ID). The
// adapter answers these within a few milliseconds; two seconds leaves room for a busy
// host and a slow USB hub without letting a dead adapter hold the window.
inline constexpr auto kShortReply = 2s;

// One block of a read or write stream (256 to 1025 bytes). Reading or programming one
// block on the target takes tens of milliseconds at most; five seconds is far past that.
inline constexpr auto kStreamBlock = 5s;

// The EEPROM of a panel: 256 bytes over I2C at 100 kHz take about 30 ms to read and up to
// 1.3 s to write page by page; both get the same generous bound.
inline constexpr auto kEepromTransfer = 10s;

// A checksum pass over a whole flash, reported as a run of progress bytes: each progress
// byte must follow the previous one within this bound.
inline constexpr auto kChecksumStep = 5s;

// A chip erase, polled for its busy flag. Large flashes take up to a minute in the worst
// case datasheet figures; past two minutes the chip is not going to finish.
inline constexpr auto kChipErase = std::chrono::seconds(120);

// The keyboard tester expects a reply to every scan request; an adapter silent this long
// has stopped, and the scan ends rather than letting STOP wait for ever.
inline constexpr auto kKeyboardReply = 2s;

// The keyboard tester's scan timer ticks every 100 ms while a scan runs; ten seconds with
// no tick means the timer has stopped, and the scan ends rather than wait for ever.
inline constexpr auto kKeyboardTick = 10s;

// The ITE attach: the adapter keeps trying to reach the controller for about five seconds
// while the user plugs it into the mainboard; three times that before giving up on it.
inline constexpr auto kIteAttach = 15s;

// A worker started by a button handler waits this long for the handler to name the
// transfer in the mode word; the handler does so right after starting it.
inline constexpr auto kWorkerHandOver = 2s;

// Sending: a write that cannot hand its bytes to the device within this bound fails.
inline constexpr auto kWrite = 2s;

// After the firmware tag and after the last block of a stream counted only by its bytes:
// how long to watch for a byte the adapter should not send. A byte sent with the others
// reaches the host with them or, at worst, when the bridge's latency timer flushes it (16 ms
// before the handshake lowers it to 2 ms); twice that catches it without holding up the
// operation noticeably.
inline constexpr auto kStraySettle = 32ms;

}  // namespace tarvex::bounds

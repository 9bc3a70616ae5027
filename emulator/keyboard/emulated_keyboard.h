#pragma once
// A laptop keyboard on the adapter's FFC connector, with the firmware's matrix scan. The
// host starts a scan with 'u', asks for each further report with 'U' and ends with 'Q'.
// Every request gets one reply: a pair record per pressed key ('>', first pin, second
// pin, with further second pins of the same first pin appended to its record), then '&'.
// A reply with no key in it is '&' alone.
//
// Key presses are scripted (tests) or made by the user (the demo): each press is reported
// once, in the next reply. The model can also send replies the host must cope with
// (malformed, oversized), split replies over several reads, and hold replies back.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "emulator/firmware_port.h"

namespace tarvex::emu {

class EmulatedKeyboard final : public CommandHandler {
 public:
  static constexpr int kPins = 32;

  // Presses the key that joins pins a and b (1..32, a != b, either order). Safe from any
  // thread. False, and nothing queued, for a pin pair no key can join.
  bool pressKey(int a, int b);

  // Holds the key that joins pins a and b down (a stuck key, or two shorted lines): it is
  // reported in every reply until released. False for a pin pair no key can join.
  bool holdKey(int a, int b);
  void releaseKey(int a, int b);

  // The next reply goes out with exactly these bytes instead of the key report; queued
  // replies go first, in order. The bytes are sent as given: '&' is not added, and an
  // empty reply answers nothing at all (the firmware swallowing a request).
  void queueRawReply(std::vector<std::uint8_t> bytes);

  // Each reply is sent in this many pieces (at least 1), with a pause between them, so the
  // host sees it arrive over several reads.
  void setReplySplit(std::size_t pieces, std::chrono::microseconds gap);

  // While held, requests are taken but their replies wait until the hold is lifted, as
  // when the firmware is stuck in a scan. Key presses made meanwhile join the reply.
  void holdReplies(bool hold);

  // Scan requests ('u' and 'U') answered or waiting, since the model was made.
  std::size_t requestCount() const;
  // Replies sent in full.
  std::size_t replyCount() const;
  bool scanning() const;
  std::size_t pendingPresses() const;

  bool handles(std::uint8_t command) const override;
  void handle(std::uint8_t command, FirmwarePort& port) override;
  void reset() override;

 private:
  std::vector<std::uint8_t> takeReplyLocked();
  void sendReply(FirmwarePort& port);

  mutable std::mutex mutex_;
  std::deque<std::pair<std::uint8_t, std::uint8_t>> presses_;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> heldKeys_;
  std::deque<std::vector<std::uint8_t>> rawReplies_;
  std::size_t pieces_ = 1;
  std::chrono::microseconds gap_{0};
  bool held_ = false;
  bool scanning_ = false;
  std::size_t requests_ = 0;
  std::size_t replies_ = 0;
};

}  // namespace tarvex::emu

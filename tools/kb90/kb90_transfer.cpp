// The worker's side of a transfer: the read stream, the write stream with its short-file
// end, and the verification of a complete write.

#include <algorithm>
#include <cstdio>

#include "frame/gauge_math.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tools/kb90/kb90_commands.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/kb90_tool.h"

namespace tarvex::kb90 {
namespace {

std::string hex(unsigned value, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

int progressAfter(int blocks) { return gaugeStep(kGaugeMaximum, kBlocks, blocks); }

}  // namespace

std::string Kb90Tool::noAnswerAtBlock() const {
  return text::kNoAnswerAtBlock + std::to_string(blockCounter_) + text::kOfBlocks;
}

std::string Kb90Tool::strayAtBlock() const {
  return text::kStrayAtBlock + std::to_string(blockCounter_) + text::kOfBlocks;
}

WaitResult Kb90Tool::receiveOneByte() { return receive(link_, 0, 1, bounds_.block); }

void Kb90Tool::runRead() {
  // The adapter sends one block per request and nothing else, so a byte beyond a block
  // (queued with it, or arriving before the next request or after the last block) is stray
  // and the image cannot be placed: the read fails rather than save shifted data.
  auto failLeftover = [this](Leftover leftover) {
    failTransfer(leftover == Leftover::kStray ? strayAtBlock() : text::kLinkLost, true);
  };
  for (;;) {
    const WaitResult block = receive(link_, 0, kBlockSize, bounds_.block);
    if (block != WaitResult::kReady) {
      return failTransfer(block == WaitResult::kTimedOut ? noAnswerAtBlock() : text::kLinkLost,
                          true);
    }
    if (const Leftover left = leftoverAfter(link_, kBlockSize); left != Leftover::kNone) {
      return failLeftover(left);
    }
    if (!sink_->write(link_.buffer.data(), kBlockSize)) {
      return failTransfer(text::kFileWriteFailed, true);
    }
    view_.setGaugeProgress(0, progressAfter(blockCounter_));
    if (blockCounter_ == kBlocks) break;
    if (!sendByte(link_, kNextBlock)) return failTransfer(text::kLinkLost, true);
    ++blockCounter_;
  }
  if (const Leftover left = leftoverWithin(link_, bounds_.straySettle); left != Leftover::kNone) {
    return failLeftover(left);
  }
  sendByte(link_, kEndStream);
  // The image is flushed to the disk and under its name before success is claimed: a disk
  // that fills up may only say so now.
  const bool stored = sink_->commit();
  view_.logLine(stored ? text::kReadDone : text::kFileWriteFailed);
  if (!stored) keepPartial();
  logStamp();
  sendOutcome(link_, stored);
  endTransfer(stored);
}

void Kb90Tool::runWrite() {
  for (;;) {
    const WaitResult ready = receiveOneByte();
    if (ready != WaitResult::kReady) {
      return failTransfer(ready == WaitResult::kTimedOut ? noAnswerAtBlock() : text::kLinkLost,
                          true);
    }
    std::fill_n(link_.buffer.begin(), kBlockSize, std::uint8_t{0xFF});
    const std::size_t got = source_.take(link_.buffer.data(), kBlockSize);
    if (got < static_cast<std::size_t>(kBlockSize)) return finishShortFile();

    if (!sendFromBuffer(link_, 0, kBlockSize)) return failTransfer(text::kLinkLost, true);
    fileChecksum_.add(std::span<const std::uint8_t>(link_.buffer.data(), kBlockSize));
    view_.setGaugeProgress(0, progressAfter(blockCounter_));
    ++blockCounter_;

    const WaitResult done = receiveOneByte();
    if (done != WaitResult::kReady) {
      --blockCounter_;  // the block that was not confirmed
      return failTransfer(done == WaitResult::kTimedOut ? noAnswerAtBlock() : text::kLinkLost,
                          true);
    }
    if (blockCounter_ == kBlocks + 1) return verify();
    if (!sendByte(link_, kNextBlock)) return failTransfer(text::kLinkLost, true);
  }
}

void Kb90Tool::finishShortFile() {
  view_.logLine(text::kShortFileWarning);
  view_.logLine(text::kShortFile);
  // The file's last bytes, padded with FFh; all FFh when it ended on a block boundary.
  if (!sendFromBuffer(link_, 0, kBlockSize)) return failTransfer(text::kLinkLost, true);
  const WaitResult done = receiveOneByte();
  if (done != WaitResult::kReady) {
    return failTransfer(done == WaitResult::kTimedOut ? noAnswerAtBlock() : text::kLinkLost, true);
  }
  sendByte(link_, kEndStream);
  sendOutcome(link_, true);
  CloseAdapterLink(link_);
  logStamp();
  endTransfer(true);
}

void Kb90Tool::verify() {
  sendByte(link_, kEndStream);
  view_.logLine(text::kWriteDone);
  view_.logLine(text::kStars);
  view_.logLine(text::kFileSum + hex(fileChecksum_.sum, 4));
  view_.logLine(text::kFileCrc + hex(fileChecksum_.crc, 4));
  view_.logLine(text::kStars);
  view_.setGaugeProgress(0, 0);
  view_.setGaugeColor(0, colors::kYellow);
  blockCounter_ = 0;
  if (!sendByte(link_, kChecksums)) return failTransfer(text::kLinkLost, false);

  // One '-' per block checked, with stray bytes skipped. Each '-' must follow the one
  // before within the bound; stray bytes do not extend it. No more bytes are taken than
  // '-' bytes are still due, so the checksum reply that follows is never swallowed.
  auto deadline = SteadyClock::now() + bounds_.checksumStep;
  while (blockCounter_ < kBlocks) {
    const WaitResult waited = waitForBytes(link_, 1, deadline - SteadyClock::now());
    if (waited != WaitResult::kReady) {
      return failTransfer(
          waited == WaitResult::kTimedOut ? text::kNoAnswerVerify : text::kLinkLost, false);
    }
    const auto take = static_cast<std::uint32_t>(
        std::min<std::size_t>({link_.queue.rx, static_cast<std::size_t>(kBlocks - blockCounter_),
                               link_.buffer.size()}));
    if (!readIntoBuffer(link_, 0, take)) return failTransfer(text::kLinkLost, false);
    for (std::uint32_t i = 0; i < take; ++i) {
      if (link_.buffer[i] != kChecksumTick) continue;
      ++blockCounter_;
      view_.setGaugeProgress(0, progressAfter(blockCounter_));
      deadline = SteadyClock::now() + bounds_.checksumStep;
    }
    // A flood of stray bytes keeps the queue busy but is no progress.
    if (blockCounter_ < kBlocks && SteadyClock::now() >= deadline) {
      return failTransfer(text::kNoAnswerVerify, false);
    }
  }

  const WaitResult reply = receive(link_, 0, kChecksumReplySize, bounds_.checksumReply);
  if (reply != WaitResult::kReady) {
    return failTransfer(reply == WaitResult::kTimedOut ? text::kNoAnswerVerify : text::kLinkLost,
                        false);
  }
  const unsigned sumLo = link_.buffer[0], sumHi = link_.buffer[1];
  const unsigned crcLo = link_.buffer[2], crcHi = link_.buffer[3];
  view_.logLine(text::kFlashSum + hex(sumHi, 2) + hex(sumLo, 2));
  view_.logLine(text::kFlashCrc + hex(crcHi, 2) + hex(crcLo, 2));
  const bool match = sumHi * 256 + sumLo == fileChecksum_.sum &&
                     crcHi * 256 + crcLo == fileChecksum_.crc;
  if (match) {
    view_.logLine(text::kStars);
    view_.logLine(text::kVerifyOk);
  } else {
    view_.logLine(text::kVerifyFailed);
  }
  sendOutcome(link_, match);
  logStamp();
  endTransfer(match);
}

}  // namespace tarvex::kb90

#include "link/link_io.h"

#include <vector>

#include "link/adapter_commands.h"

namespace tarvex {

bool sendFromBuffer(LinkState& link, std::size_t offset, std::uint32_t count) {
  if (!link.handle || offset > link.buffer.size() || count > link.buffer.size() - offset) {
    return false;
  }
  link.transferred = 0;
  const FtStatus status = link.handle->write(link.buffer.data() + offset, count, &link.transferred);
  return status == FT_OK && link.transferred == count;
}

bool sendBytes(LinkState& link, std::initializer_list<std::uint8_t> bytes) {
  if (!link.handle) return false;
  // Requests go out in one write, as the adapter expects, without disturbing the buffer
  // (a reply may still be held there).
  const std::vector<std::uint8_t> request(bytes);
  link.transferred = 0;
  const auto count = static_cast<std::uint32_t>(request.size());
  const FtStatus status = link.handle->write(request.data(), count, &link.transferred);
  return status == FT_OK && link.transferred == count;
}

bool sendByte(LinkState& link, std::uint8_t byte) { return sendBytes(link, {byte}); }

WaitResult waitForBytes(LinkState& link, std::uint32_t count, SteadyClock::duration bound) {
  if (!link.handle) return WaitResult::kFailed;
  const auto deadline = SteadyClock::now() + bound;
  std::uint32_t queued = 0;
  if (link.handle->waitForQueue(count, deadline, &queued) != FT_OK) return WaitResult::kFailed;
  link.queue.rx = queued;
  return queued >= count ? WaitResult::kReady : WaitResult::kTimedOut;
}

bool readIntoBuffer(LinkState& link, std::size_t offset, std::uint32_t count) {
  if (!link.handle || offset > link.buffer.size() || count > link.buffer.size() - offset) {
    return false;
  }
  link.transferred = 0;
  const FtStatus status = link.handle->read(link.buffer.data() + offset, count, &link.transferred);
  return status == FT_OK && link.transferred == count;
}

WaitResult receive(LinkState& link, std::size_t offset, std::uint32_t count,
                   SteadyClock::duration bound) {
  const WaitResult waited = waitForBytes(link, count, bound);
  if (waited != WaitResult::kReady) return waited;
  return readIntoBuffer(link, offset, count) ? WaitResult::kReady : WaitResult::kFailed;
}

Leftover leftoverAfter(LinkState& link, std::uint32_t taken) {
  if (!link.handle) return Leftover::kFailed;
  if (link.queue.rx > taken) return Leftover::kStray;
  std::uint32_t rx = 0, tx = 0, event = 0;
  if (link.handle->getStatus(&rx, &tx, &event) != FT_OK) return Leftover::kFailed;
  return rx > 0 ? Leftover::kStray : Leftover::kNone;
}

Leftover leftoverWithin(LinkState& link, SteadyClock::duration bound) {
  if (!link.handle) return Leftover::kFailed;
  std::uint32_t queued = 0;
  if (link.handle->waitForQueue(1, SteadyClock::now() + bound, &queued) != FT_OK) {
    return Leftover::kFailed;
  }
  return queued > 0 ? Leftover::kStray : Leftover::kNone;
}

void sendOutcome(LinkState& link, bool success) {
  sendByte(link, success ? cmd::kOutcomeSuccess : cmd::kOutcomeFailure);
}

}  // namespace tarvex

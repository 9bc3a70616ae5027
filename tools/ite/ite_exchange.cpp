#include "tools/ite/ite_exchange.h"

#include <thread>

#include "link/adapter_commands.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tools/ite/ite_commands.h"

namespace tarvex {

std::optional<std::uint8_t> iteRequest(LinkState& link, std::initializer_list<std::uint8_t> request,
                                       SteadyClock::duration bound) {
  if (!sendBytes(link, request)) return std::nullopt;
  if (receive(link, 0, 1, bound) != WaitResult::kReady) return std::nullopt;
  return link.buffer[0];
}

bool iteRegisterWrite(LinkState& link, std::uint8_t reg, std::uint8_t value,
                      SteadyClock::duration bound) {
  if (iteRequest(link, {ite_cmd::kSelectRegister, reg}, bound) != ite_cmd::kDone) return false;
  return iteRequest(link, {ite_cmd::kWriteRegister, value}, bound) == ite_cmd::kDone;
}

std::optional<std::uint8_t> iteRegisterRead(LinkState& link, std::uint8_t reg,
                                            SteadyClock::duration bound) {
  // Only 'e' means the controller did not answer the select; the firmware may answer other
  // bytes than 'o' and still have selected the register.
  const auto selected = iteRequest(link, {ite_cmd::kSelectRegister, reg}, bound);
  if (!selected || *selected == ite_cmd::kNoController) return std::nullopt;
  return iteRequest(link, {ite_cmd::kReadRegister}, bound);
}

void iteSignOff(LinkState& link, bool success, SteadyClock::duration drainBound) {
  if (link.isOpen() && sendByte(link, success ? cmd::kOutcomeSuccess : cmd::kOutcomeFailure)) {
    // The device layer has no blocking wait for the transmit side, so the queue is polled
    // with a short pause; it holds one byte and empties within a USB frame or two.
    const auto deadline = SteadyClock::now() + drainBound;
    while (link.handle->getStatus(&link.queue.rx, &link.queue.tx, &link.queue.event) == FT_OK &&
           link.queue.tx > 0 && SteadyClock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  CloseAdapterLink(link);
}

}  // namespace tarvex

#include "link/connection_test.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "link/adapter_commands.h"
#include "link/adapter_link.h"
#include "link/wait_bounds.h"

namespace tarvex {

namespace {

namespace text = connection_test_text;

constexpr std::uint8_t kTestLatencyMs = 2;
constexpr std::array<std::uint8_t, 3> kExpectedTag{'V', '4', '1'};

std::uint32_t ms(std::chrono::milliseconds d) {
  return static_cast<std::uint32_t>(d.count());
}

// The bus's reason for the failure just logged (the path and what the system said), as a
// line of its own after the documented one; nothing when the bus cannot tell.
void logReason(LogSink& log, const FtBus& bus) {
  if (const std::string reason = bus.lastOpenError(); !reason.empty()) log.logLine(reason);
}

void logStatus(LogSink& log, const char* call, FtStatus status) {
  log.logLine(std::string(call) + (status == FT_OK ? text::kOk : text::kNotOk));
}

std::string upperHex(std::uint32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02X", value);
  return digits;
}

// Discards every line: the repeated handshakes of the link-quality test make the same
// calls as the report but say only what went wrong.
class QuietLog final : public LogSink {
 public:
  void logLine(const std::string&) override {}
};

// One device, already open: configure, ask for the tag, report. Ends the test once three
// bytes came back, whatever they were; the device is closed on every way out. The answer
// time runs from the request handed to the device to the third byte received.
HandshakeOutcome testDevice(FtDevice& dev, std::uint32_t index, LogSink& log) {
  log.logLine(text::kOpened + std::to_string(index));

  std::uint32_t version = 0;
  dev.getDriverVersion(&version);
  log.logLine(text::kDriverVersion + upperHex(version));

  logStatus(log, text::kReset, dev.resetDevice());
  logStatus(log, text::kBaud, dev.setBaudRate(kAdapterBaudRate));
  logStatus(log, text::kFormat,
            dev.setDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE));
  logStatus(log, text::kTimeouts300,
            dev.setTimeouts(ms(bounds::kHandshakeRead), ms(bounds::kHandshakeWrite)));
  logStatus(log, text::kPurge, dev.purge(FT_PURGE_RX | FT_PURGE_TX));

  const std::uint8_t request = cmd::kFirmwareTag;
  std::uint32_t written = 0;
  const auto asked = std::chrono::steady_clock::now();
  logStatus(log, text::kWriteTag, dev.write(&request, 1, &written));
  if (written != 1) log.logLine(text::kWriteShort);

  HandshakeOutcome outcome;
  std::uint32_t received = 0;
  logStatus(log, text::kReadTag,
            dev.read(outcome.reply.data(), static_cast<std::uint32_t>(outcome.reply.size()),
                     &received));
  outcome.answerTime = std::chrono::steady_clock::now() - asked;

  if (received == outcome.reply.size()) {
    log.logLine(text::kThreeBytes);
    // The same refusal as every tool's: a tag with bytes after it is not the right one.
    if (outcome.reply == kExpectedTag && !bytesAfterTag(dev)) {
      log.logLine(text::kRightFirmware);
      logStatus(log, text::kTimeouts0, dev.setTimeouts(0, 0));
      logStatus(log, text::kLatency2, dev.setLatencyTimer(kTestLatencyMs));
      log.logLine(text::kReconfigured);
      dev.close();
      outcome.kind = HandshakeOutcome::kRightTag;
      return outcome;
    }
    log.logLine(text::kWrongFirmware);
    dev.close();
    outcome.kind = HandshakeOutcome::kWrongTag;
    return outcome;
  }

  log.logLine(text::kNoThreeBytes);
  logStatus(log, text::kClose, dev.close());
  outcome.kind = HandshakeOutcome::kNoAnswer;
  return outcome;
}

}  // namespace

ConnectionWalk walkConnection(FtBus& bus, LogSink& log) {
  log.logLine("");

  std::uint32_t count = 0;
  if (bus.createDeviceInfoList(&count) != FT_OK) {
    log.logLine(text::kNoList);
    logReason(log, bus);
    return {};
  }
  if (count == 0) {
    log.logLine(text::kNoPorts);
    logReason(log, bus);
    return {};
  }
  log.logLine(text::kPortCount + std::to_string(count));

  for (std::uint32_t n = count; n > 0; --n) {
    const std::uint32_t index = n - 1;
    std::unique_ptr<FtDevice> dev;
    if (bus.open(index, &dev) != FT_OK || !dev) {
      // The position counts from 1 here, unlike the index of an opened port.
      log.logLine(text::kOpenFailed + std::to_string(n));
      logReason(log, bus);
      continue;
    }
    const HandshakeOutcome outcome = testDevice(*dev, index, log);
    if (outcome.kind != HandshakeOutcome::kNoAnswer) {
      return {outcome.kind == HandshakeOutcome::kRightTag, index, outcome};
    }
  }
  log.logLine(text::kNobodyAnswered);
  return {};
}

bool runConnectionTest(FtBus& bus, LogSink& log) {
  return walkConnection(bus, log).rightFirmware;
}

HandshakeOutcome quietHandshake(FtBus& bus, std::uint32_t index) {
  std::unique_ptr<FtDevice> dev;
  if (bus.open(index, &dev) != FT_OK || !dev) return {};
  QuietLog quiet;
  return testDevice(*dev, index, quiet);
}

}  // namespace tarvex

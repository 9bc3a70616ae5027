#include "link/adapter_link.h"

#include <chrono>

#include "link/adapter_commands.h"
#include "link/display_map.h"
#include "link/wait_bounds.h"

namespace tarvex {
namespace link_params {

const LinkParams kEdid{TagCheck::kThreeBytes, {'V', '4', '1'}, true, false, true,
                       link_text::kNotFoundArrow};
const LinkParams kKb90{TagCheck::kThreeBytes, {'V', '4', '1'}, false, false, true,
                       link_text::kNotFound};
const LinkParams kKeyboard{TagCheck::kThreeBytes, {'V', '4', '1'}, true, true, true,
                           link_text::kNotFoundArrow};
const LinkParams kMec16{TagCheck::kThreeBytes, {'V', '4', '2'}, false, false, true,
                        link_text::kNotFound};
const LinkParams kIte{TagCheck::kTextWithIte, {}, false, false, false, link_text::kNotFound};

}  // namespace link_params

namespace {

constexpr std::uint8_t kHandshakeLatencyMs = 2;
constexpr std::uint32_t kTagBytes = 3;
constexpr std::uint32_t kIteTagMaxBytes = 32;

std::uint32_t ms(std::chrono::milliseconds d) { return static_cast<std::uint32_t>(d.count()); }

void configure(FtDevice& dev, const LinkParams& params, std::uint32_t index, LogSink& log) {
  auto step = [&](const char* line) {
    if (params.stepLines) log.logLine(line);
  };
  dev.resetDevice();
  step(link_text::kStepReset);
  dev.setBaudRate(kAdapterBaudRate);
  step(link_text::kStepBaud);
  dev.setDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
  step(link_text::kStepFormat);
  step(link_text::kStepTimeouts);
  if (params.latencyBeforeHandshake) {
    dev.setLatencyTimer(kHandshakeLatencyMs);
    step(link_text::kStepLatency);
  }
  dev.setTimeouts(ms(bounds::kHandshakeRead), ms(bounds::kHandshakeWrite));
  if (params.stepLines) log.logLine(link_text::kStepPortSet + std::to_string(index));
}

enum class Handshake { kMatch, kMismatch, kSilent };

Handshake checkThreeBytes(LinkState& link, const LinkParams& params) {
  if (link.transferred < kTagBytes) return Handshake::kSilent;
  for (std::uint32_t i = 0; i < kTagBytes; ++i) {
    if (link.buffer[i] != params.expectedTag[i]) return Handshake::kMismatch;
  }
  return Handshake::kMatch;
}

Handshake checkIteText(LinkState& link, LogSink& log) {
  if (link.transferred == 0) return Handshake::kSilent;
  const std::string text = displayText(link.buffer.data(), link.transferred);
  log.logLine(link_text::kFirmwareVersion + text);
  return text.find("ITE") != std::string::npos ? Handshake::kMatch : Handshake::kMismatch;
}

// The bus's reason (path and system error) as a line after the documented one, if it has one.
void logReason(LogSink& log, const std::string& reason) {
  if (!reason.empty()) log.logLine(reason);
}

}  // namespace

int OpenAdapterLink(FtBus& bus, const LinkParams& params, LinkState& link, LogSink& log) {
  CloseAdapterLink(link);
  link.deviceCount = 0;
  if (bus.createDeviceInfoList(&link.deviceCount) != FT_OK) {
    log.logLine(link_text::kNoList);
    logReason(log, bus.lastOpenError());
    return kNoAdapter;
  }
  if (link.deviceCount == 0) {
    log.logLine(link_text::kNoPorts);
    logReason(log, bus.lastOpenError());
    return kNoAdapter;
  }
  log.logLine(link_text::kPortCount + std::to_string(link.deviceCount));

  const bool ite = params.tagCheck == TagCheck::kTextWithIte;
  const std::uint32_t wanted = ite ? kIteTagMaxBytes : kTagBytes;
  // Why the latest port that could not be opened failed, told once nobody answered.
  std::string openFailure;
  while (link.deviceCount > 0) {
    const std::uint32_t index = --link.deviceCount;
    std::unique_ptr<FtDevice> dev;
    if (bus.open(index, &dev) != FT_OK || !dev) {
      openFailure = bus.lastOpenError();
      continue;
    }
    configure(*dev, params, index, log);

    link.buffer[0] = cmd::kFirmwareTag;
    dev->write(link.buffer.data(), 1, &link.transferred);
    link.transferred = 0;
    dev->read(link.buffer.data(), std::min<std::uint32_t>(wanted, link.buffer.size()),
              &link.transferred);

    Handshake outcome = ite ? checkIteText(link, log) : checkThreeBytes(link, params);
    if (outcome == Handshake::kMatch && bytesAfterTag(*dev)) outcome = Handshake::kMismatch;
    if (outcome == Handshake::kSilent) {
      dev->close();
      continue;
    }
    if (outcome == Handshake::kMismatch) {
      log.logLine(link_text::kUpdateFirmware);
      dev->close();
      return kWrongFirmware;
    }
    log.logLine(link_text::kInstalled);
    if (params.zeroTimeoutsAfterSuccess) dev->setTimeouts(0, 0);
    dev->setLatencyTimer(kHandshakeLatencyMs);
    link.handle = std::move(dev);
    return kLinkReady;
  }
  log.logLine(params.notFoundLine);
  logReason(log, openFailure);
  return kNoAdapter;
}

bool bytesAfterTag(FtDevice& device) {
  std::uint32_t rx = 0, tx = 0, event = 0;
  return device.getStatus(&rx, &tx, &event) != FT_OK || rx > 0;
}

void CloseAdapterLink(LinkState& link) {
  if (!link.handle) return;
  link.handle->close();
  link.handle.reset();
}

}  // namespace tarvex

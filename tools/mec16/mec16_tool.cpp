// The MEC16 tool's shared steps, the connection check, HELP, EXIT and the worker's loop.

#include "tools/mec16/mec16_tool.h"

#include <algorithm>

#include "frame/kept_partial_line.h"
#include "frame/time_stamp.h"
#include "link/adapter_link.h"
#include "link/link_io.h"
#include "tools/mec16/mec16_commands.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_registers.h"

namespace tarvex::mec16 {

Mec16Tool::Mec16Tool(FtBus& bus, Mec16View& view, Mec16Bounds bounds)
    : bus_(bus), view_(view), bounds_(bounds), link_(buffer_size::kMec16) {}

bool Mec16Tool::openLink() {
  return OpenAdapterLink(bus_, link_params::kMec16, link_, view_) == kLinkReady;
}

void Mec16Tool::send(std::uint8_t command) { sendByte(link_, command); }

std::optional<std::uint8_t> Mec16Tool::readStatus(const char* label, const char* lostLine) {
  const std::string value = MecReadRegister(link_, kRegStatus, bounds_.shortReply);
  if (isLost(value)) {
    view_.logLine(lostLine);
    return std::nullopt;
  }
  if (label) view_.logLine(label + value);
  return link_.buffer[3];  // the register's bits 0..7
}

void Mec16Tool::decodeProtection(std::optional<std::uint8_t> status) {
  // A status that never arrived is taken as both protections set, so nothing is erased
  // or written while the controller's state is unknown.
  const std::uint8_t bits = status.value_or(kStatusFwp | kStatusBootLock);
  if (bits & kStatusFwp) {
    view_.logLine(text::kFwpSet);
    view_.setIndicator(Indicator::kFwp, indicator_color::kRefused);
    fault_ = true;
  } else {
    view_.logLine(text::kFwpClear);
    view_.setIndicator(Indicator::kFwp, indicator_color::kAllowed);
  }
  if (bits & kStatusBootLock) {
    view_.logLine(text::kBootLockSet);
    view_.setIndicator(Indicator::kBootLock, indicator_color::kRefused);
    fault_ = true;
  } else {
    view_.logLine(text::kBootLockClear);
    view_.setIndicator(Indicator::kBootLock, indicator_color::kAllowed);
  }
}

bool Mec16Tool::writeLogged(std::uint32_t address, std::uint32_t value, const char* done,
                            const char* lostLine) {
  if (isLost(MecWriteRegister(link_, address, value, bounds_.shortReply))) {
    view_.logLine(lostLine);
    return false;
  }
  view_.logLine(done);
  return true;
}

void Mec16Tool::releaseSequence(const char* lost1, const char* lost2, const char* lost3) {
  // All three are attempted whatever happens to the first ones.
  writeLogged(kRegFlashMode, kModeIdle, text::kWroteModeIdle, lost1);
  writeLogged(kRegFlashMode, kModeOff, text::kWroteModeOff, lost2);
  writeLogged(kRegAccess, kAccessOff, text::kWroteAccessOff, lost3);
}

void Mec16Tool::keepPartial() {
  if (const auto kept = saved_.abandon()) {
    view_.logLine(keptPartialLine(text::kPartialKept, *kept, text::kPartialBytes, ""));
  }
}

void Mec16Tool::closingSequence() {
  keepPartial();
  view_.logLine(text::kPortClosed);
  CloseAdapterLink(link_);
  source_ = {};
  view_.logLine(timeStampLine(kStampRussian));
  view_.logLine("");
  // Last: from here on a new operation may take the link and the file.
  mode_.set(kModeNone);
}

void Mec16Tool::signalOutcome(bool success) {
  succeeded_ = success;
  sendOutcome(link_, success);
}

void Mec16Tool::failedStart() {
  signalOutcome(false);
  send(kRelease);
  closingSequence();
}

bool Mec16Tool::abandonStart(const char* line) {
  saved_.abandon();
  view_.logLine(line);
  signalOutcome(false);
  view_.logLine(text::kPortClosed);
  CloseAdapterLink(link_);
  mode_.set(kModeNone);
  return false;
}

bool Mec16Tool::idAllOnes() const {
  return std::all_of(link_.buffer.begin(), link_.buffer.begin() + kIdBytes,
                     [](std::uint8_t b) { return b == 0xFF; });
}

bool Mec16Tool::connectionCheck() {
  if (!mode_.idle()) return false;
  fault_ = false;
  succeeded_ = false;
  mode_.set(mode::kId);
  view_.setGaugeProgress(0, 0);
  view_.setIndicator(Indicator::kBootLock, indicator_color::kNoStatus);
  view_.setIndicator(Indicator::kFwp, indicator_color::kNoStatus);
  view_.logLine(timeStampLine(kStampRussian));
  if (!openLink()) {
    mode_.set(kModeNone);
    return false;
  }
  if (!MecReadId(link_, view_, bounds_.shortReply)) fault_ = true;

  struct Shown {
    std::uint32_t address;
    const char* label;
    const char* lostLine;
  };
  static constexpr Shown kShown[] = {
      {kRegRevision, text::kLabelRevision, text::lost::kI100},
      {kRegFlashMode, text::kLabelMode, text::lost::kI101},
      {kRegAccess, text::kLabelAccess, text::lost::kI102},
  };
  // Every read is made even after a loss.
  for (const Shown& reg : kShown) {
    const std::string value = MecReadRegister(link_, reg.address, bounds_.shortReply);
    if (isLost(value)) {
      view_.logLine(reg.lostLine);
      fault_ = true;
    } else {
      view_.logLine(reg.label + value);
    }
  }
  const auto status = readStatus(text::kLabelStatus, text::lost::kI103);
  if (!status) fault_ = true;
  decodeProtection(status);

  signalOutcome(!fault_);
  send(kRelease);
  closingSequence();
  return succeeded_.load();
}

void Mec16Tool::help() {
  if (!mode_.idle()) return;
  for (const char* line : text::kHelpLines) view_.logLine(line);
}

bool Mec16Tool::exitOrStop() {
  if (mode_.idle()) return true;
  stop_ = true;
  return false;
}

bool Mec16Tool::runWorker() {
  // Each step blocks on the link for its block or reply; none of them spins. The loop
  // ends with the step that ran the closing sequence, and never looks at the mode word
  // after that: a new operation may already own it.
  for (;;) {
    const std::string current = mode_.get();
    bool ended = true;
    if (current == mode::kReadMain) {
      ended = stepReadMain();
    } else if (current == mode::kReadInfo) {
      ended = stepReadInfo();
    } else if (current == mode::kWriteMain) {
      ended = stepWrite();
    }
    if (ended) return succeeded_.load();
  }
}

}  // namespace tarvex::mec16

// Erasing the MAIN flash block, or MAIN and INFO together, on the calling thread.

#include <algorithm>
#include <thread>

#include "frame/time_stamp.h"
#include "link/link_io.h"
#include "tools/mec16/mec16_commands.h"
#include "tools/mec16/mec16_messages.h"
#include "tools/mec16/mec16_registers.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::mec16 {

bool Mec16Tool::erase(bool withInfo) {
  if (!mode_.idle()) return false;
  fault_ = false;
  succeeded_ = false;
  mode_.set(mode::kErase);
  touched_ = false;
  view_.setGaugeProgress(0, 0);
  view_.setIndicator(Indicator::kBootLock, indicator_color::kNoStatus);
  view_.setIndicator(Indicator::kFwp, indicator_color::kNoStatus);
  view_.logLine(timeStampLine(kStampRussian));
  if (!openLink()) {
    mode_.set(kModeNone);
    return false;
  }

  // Every way out from here releases the target and runs the closing sequence.
  auto end = [this] {
    send(kRelease);
    closingSequence();
    return succeeded_.load();
  };

  if (!MecReadId(link_, view_, bounds_.shortReply)) fault_ = true;
  decodeProtection(readStatus(text::kLabelStatus, text::lost::kE100));
  if (fault_) {
    signalOutcome(false);
    view_.logLine(text::kEraseRefused);
    return end();
  }

  const std::uint32_t eraseValue = withInfo ? kEraseMainAndInfo : kEraseMain;
  if (!writeLogged(kRegAccess, kAccessOn, text::kWroteAccessOn, text::lost::kE101) ||
      !writeLogged(kRegFlashMode, kModeErase, text::kWroteModeErase, text::lost::kE102)) {
    return end();
  }
  touched_ = true;  // the erase command may reach the controller from here on
  if (!writeLogged(kRegFlashAddress, eraseValue, text::kEraseSent, text::lost::kE103)) {
    return end();
  }

  // The status is read, a short pause apart, until the busy bit clears; a controller that
  // stays busy past the bound ends the erase as failed rather than holding the window for
  // ever.
  const auto deadline = SteadyClock::now() + bounds_.chipErase;
  for (;;) {
    const auto status = readStatus(nullptr, text::lost::kE104);
    if (!status) return end();
    if ((*status & kStatusBusy) == 0) break;
    const auto now = SteadyClock::now();
    if (now >= deadline) {
      view_.logLine(text::kEraseNeverEnded);
      signalOutcome(false);
      return end();
    }
    std::this_thread::sleep_for(std::min<SteadyClock::duration>(kErasePollPause, deadline - now));
  }
  view_.logLine(text::kEraseDone);

  // Here a loss ends the erase at once.
  if (!writeLogged(kRegFlashMode, kModeIdle, text::kWroteModeIdle, text::lost::kE105) ||
      !writeLogged(kRegFlashMode, kModeOff, text::kWroteModeOff, text::lost::kE106) ||
      !writeLogged(kRegAccess, kAccessOff, text::kWroteAccessOff, text::lost::kE107)) {
    return end();
  }
  signalOutcome(true);
  return end();
}

}  // namespace tarvex::mec16

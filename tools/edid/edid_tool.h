#pragma once
// The EDID EEPROM tool's operations: read the panel EEPROM into a file with a hex dump of
// it in the log, and write a file into it. Each runs start to end in one call on the
// user-interface thread (the EEPROM is small enough that there is no worker), opening a
// fresh adapter link and closing it on every way out.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "app/frame/tool_view.h"
#include "link/ft_device.h"
#include "link/link_io.h"
#include "link/link_state.h"
#include "link/wait_bounds.h"
#include "tools/edid/edid_commands.h"

namespace tarvex::edid {

// How long each reply may take; tests shorten them so a stalled adapter fails fast.
struct EdidBounds {
  SteadyClock::duration readReply = bounds::kEepromTransfer;    // the 258-byte read reply
  SteadyClock::duration writeAck = bounds::kShortReply;         // the write command's byte
  SteadyClock::duration writeStatus = bounds::kEepromTransfer;  // the write's two letters
};

class EdidTool {
 public:
  EdidTool(FtBus& bus, ToolView& view, EdidBounds bounds = {});

  // EDID_READ: read the EEPROM, dump it, then offer to save it. True when the image was
  // read and stored in the chosen file.
  bool read();
  // EDID_WRITE: choose a file and write it into the EEPROM. True when the EEPROM reported
  // the write done.
  bool write();
  // EXIT: the log is cleared before the window is left.
  void exit();

  // The last file chosen in either dialog, kept between operations.
  const std::string& fileName() const { return fileName_; }
  // The image of the last operation (read from the EEPROM or taken from a file).
  std::span<const std::uint8_t, kImageSize> image() const;

 private:
  WaitResult gatherReply(std::size_t offset, std::uint32_t count, SteadyClock::duration bound,
                         std::uint32_t* received);
  // These end an operation as failed and return false, for the caller to return.
  bool endFailed();
  bool failAndClose(const std::string& line);
  bool failWaitAndClose(WaitResult result, const std::string& timedOutLine);
  StatusLetters statusAt(std::size_t offset) const;
  bool saveImage();
  // The short decode of the image read, for the log.
  void logDecode();
  bool loadImage();

  FtBus& bus_;
  ToolView& view_;
  EdidBounds bounds_;
  LinkState link_{buffer_size::kEdid};
  std::string fileName_;
};

}  // namespace tarvex::edid

#pragma once
// The EDID EEPROM tool's operations: read the panel EEPROM into a file with a hex dump of
// it in the log, and write a file into it. Each link session runs start to end in one call
// (the window makes it on its worker), opening a fresh adapter link and closing it on every
// way out. The reads and the write that the safety steps around a write use run without a
// dialog (edid_safe_ops).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "frame/file_load.h"
#include "frame/image_sink.h"
#include "frame/staged_image.h"
#include "frame/tool_view.h"
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

  // The open dialog, then the chosen file, at most 256 bytes of it (and whether it is
  // longer). Nothing once a cancel or a failure to read it is logged (and boxed).
  std::optional<LoadedFile> chooseImageFile();
  // A read for the safety steps: the purpose line, then the read without its dump, dialog
  // or file. The image is whole in `into` only when the read succeeded.
  bool readInto(MemoryImage& into, const char* purpose);
  // The write of an image already chosen and checked, from the link's opening on. A shorter
  // image is padded with FFh, a longer one cut to 256 bytes.
  bool writeImage(std::span<const std::uint8_t> bytes);
  // The save dialog, then the file begun under the chosen name. `forImage`: the name is
  // logged as the image's file (not when it names where two reads that differ are kept).
  // False once a cancel or a failure is logged (and boxed).
  bool beginSave(StagedImage& file, bool forImage);
  // A read image as the read shows it: the hex dump and an empty line; and its decode.
  void logDump(std::span<const std::uint8_t> image);
  void logDecode(std::span<const std::uint8_t> image);
  // Whether the last write had begun sending its image bytes: a failure from then on may
  // leave the EEPROM partly written.
  bool flashTouched() const { return touched_; }
  // The 256 bytes the last write sent to the EEPROM, padding included.
  std::span<const std::uint8_t, kImageSize> sentImage() const { return sent_; }

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
  // The read from the link's opening to its closing; the dump when asked for.
  bool readEeprom(bool dump);
  bool saveImage();
  // The image into the transfer buffer: erased (FFh) where the bytes do not reach.
  void placeImage(std::span<const std::uint8_t> bytes);
  // The write from 'E','w' on, of the image in the transfer buffer.
  bool sendImage();

  FtBus& bus_;
  ToolView& view_;
  EdidBounds bounds_;
  LinkState link_{buffer_size::kEdid};
  std::string fileName_;
  std::array<std::uint8_t, kImageSize> sent_{};
  bool touched_ = false;
};

}  // namespace tarvex::edid

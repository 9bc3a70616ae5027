#pragma once
// The KB90xx tool's operations: the connect step, and reading, writing and verifying the
// controller's 128 KiB flash in 512 blocks of 256 bytes.
//
// A transfer is split where the window splits it. On the user-interface thread a button
// handler (readClick / writeClick) opens the link, connects to the controller and opens
// the image file; when it returns true the window starts the worker and calls
// beginTransfer(), which names the transfer in the mode word and sends its first
// command. The worker's runWorker() waits for that, streams the blocks and ends the
// transfer: outcome signal, log lines, link and file closed, mode word "NONE", buttons
// enabled again. Every wait is bounded; an adapter that stops answering ends the transfer
// as a failure.

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "frame/file_load.h"
#include "frame/image_sink.h"
#include "frame/mode_word.h"
#include "safety/safe_change.h"
#include "frame/staged_image.h"
#include "frame/tool_view.h"
#include "link/ft_device.h"
#include "link/link_io.h"
#include "link/link_state.h"
#include "tools/kb90/kb90_bounds.h"
#include "tools/kb90/kb90_checksum.h"
#include "tools/kb90/kb90_view.h"

namespace tarvex::kb90 {

class Kb90Tool {
 public:
  Kb90Tool(FtBus& bus, ToolView& view, Kb90View& buttons, Kb90Bounds bounds = {});

  // KB901X_READClick and KB901X_WRITEClick. True when the transfer is prepared and the
  // worker must be started, then beginTransfer() called.
  bool readClick();
  bool writeClick();
  // The same read into memory, without a file dialog (a backup, or one of two reads
  // compared); `purpose` is logged where a read names its file. The log is not cleared.
  // `keepEnabled` is the button of the operation the read is a step of.
  bool readInto(MemoryImage& memory, const char* purpose,
                Kb90Button keepEnabled = Kb90Button::kWrite);
  // The read's file dialog, for a caller that chooses the file before the read starts.
  static FileDialogSpec readDialog();
  // The write's file dialog and load, for a caller that checks the image before the write
  // starts: the log is cleared first, as a click clears it. Nothing (with the reason
  // shown) when there is no image.
  std::optional<ChosenImage> chooseWriteImage();
  // The same write of an image already loaded from `fileName`, without the dialog; the log
  // is not cleared.
  bool writeImage(const std::string& fileName, std::vector<std::uint8_t> image);
  // The rest of the click handler, after the worker is started: opening time stamp,
  // first command, mode word.
  void beginTransfer();
  // ReadThread_KB90::Execute: waits for the mode word to name a transfer and runs it to
  // its end. Returns at once with nothing done when no transfer is named in time. True
  // when the transfer succeeded: the read image stored, or the write verified (or a short
  // file written whole).
  bool runWorker();

  // EXIT_KB901X: true when the window may be left (the tool is idle); the log is then
  // cleared and the gauge set to 0. Ignored while a transfer runs.
  bool exitClick();

  // Sends 'V' on the open link and reports the controller's answer. On failure it has
  // sent the failure outcome signal; the caller closes the link.
  bool connectStep();

  const ModeWord& mode() const { return mode_; }
  std::string fileName() const;
  // Whether the last write sent its write command, which erases the flash: a failure from
  // then on leaves the flash partly erased or written.
  bool flashTouched() const { return touched_; }

 private:
  enum class Pending { kNone, kRead, kWrite };

  bool openAndConnect(bool clearLog = true);
  bool prepareRead(MemoryImage* memory, const char* purpose, Kb90Button keepEnabled);
  bool prepareWrite(const std::string& fileName);
  // Reads the image to write; nothing (with the reason logged) when it cannot.
  std::optional<LoadedFile> loadSource(const std::string& path);
  void setMode(const std::string& value);

  // The worker's parts (kb90_transfer.cpp).
  void runRead();
  void runWrite();
  void finishShortFile();
  void verify();
  // Waits for and takes one single-byte answer (ready or block-done) into the buffer.
  WaitResult receiveOneByte();
  // Ends a transfer that failed: the reason, 'X' while a stream is open, 'O', stamp.
  void failTransfer(const std::string& reason, bool streamOpen);
  std::string noAnswerAtBlock() const;
  // Keeps what a failed read received as a partial file and says where.
  void keepPartial();
  std::string strayAtBlock() const;
  // The common end: link and file closed, mode word "NONE", buttons enabled.
  void endTransfer(bool succeeded);
  void logStamp();

  FtBus& bus_;
  ToolView& view_;
  Kb90View& buttons_;
  const Kb90Bounds bounds_;

  LinkState link_;
  ModeWord mode_;
  StagedImage saved_;   // the image a read saves
  ImageSink* sink_ = &saved_;  // where the read in progress puts its blocks
  bool touched_ = false;  // the write in progress has sent its write command
  ImageSource source_;  // the image a write sends, read whole at the click
  std::string fileName_;
  mutable std::mutex fileNameMutex_;

  // Set by a click handler, read by the worker once the mode word names the transfer.
  Pending pending_ = Pending::kNone;
  // The button the transfer in progress disabled beside EXIT, enabled again at its end.
  Kb90Button disabled_ = Kb90Button::kWrite;
  int blockCounter_ = 0;
  ImageChecksum fileChecksum_;
  bool succeeded_ = false;  // the result of the transfer the worker ran last

  // The hand-over from the click handler to the worker.
  std::mutex handOverMutex_;
  std::condition_variable handOver_;
};

}  // namespace tarvex::kb90

#pragma once
// A tool's write as the user runs it, with the safety steps around the documented write
// sequence, each step its own link session:
//   image chosen and checked -> backup read of the chip -> the write -> read-back compared
//   with what was sent
// A step that is turned off adds no byte on the link: with all of them off (and forced)
// only the documented sequence runs. A write that fails once it has started changing the
// flash adds the line that the chip is now partly written, naming this run's backup.
// The tool's own parts come in as functions, so the ITE and KB90xx writes share it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frame/file_load.h"
#include "frame/image_sink.h"
#include "safety/partly_changed_line.h"
#include "frame/phase_chain.h"
#include "safety/safety_net.h"

namespace tarvex {

// The image a write was asked to program, read whole before the adapter is touched.
struct ChosenImage {
  std::string fileName;
  std::vector<std::uint8_t> bytes;  // at most the chip's size
  std::uint64_t fileSize = 0;       // the file's own size, which may be larger
};

// The chosen image from a file loaded up to the chip's size; the size of a longer file is
// asked of the file system.
ChosenImage chosenImage(const std::string& fileName, LoadedFile loaded);

struct SafeWriteSteps {
  // The file dialog and the load; nothing (with the reason logged) when there is no image.
  std::function<std::optional<ChosenImage>()> chooseImage;
  // Prepare a read of the whole chip into memory (no dialog), or the write of an image
  // already chosen; false when it could not start (the reason logged). The prepared
  // operation runs in runWork, on the worker.
  std::function<bool(MemoryImage& into, const char* purpose)> startRead;
  std::function<bool(const std::string& fileName, std::vector<std::uint8_t> image)> startWrite;
  std::function<bool()> runWork;
  // What the last write sent, padding included. Empty when the tool has no read-back step
  // of its own here (its adapter verifies).
  std::function<std::vector<std::uint8_t>()> sentImage;
  // Whether the last write had sent its first erase or write command.
  std::function<bool()> flashTouched;
  std::uint64_t chipSize = 0;
  int gauge = 0;  // the gauge a read-back verdict colours
};

struct SafeWriteTexts {
  const SafetyTexts& safety;
  const PartlyChangedTexts& partly;
  const char* backupRead;   // logged as the backup read starts
  const char* verifyRead;   // logged as the read-back starts
  const char* notVerified;  // the write ended without a read-back (it was turned off)
};

class SafeWrite {
 public:
  SafeWrite(SafeWriteSteps steps, ToolView& view, SafeWriteTexts texts)
      : steps_(std::move(steps)), view_(view), texts_(texts) {}

  // The chain runs on this object, which must outlive it. One at a time.
  PhaseChain chain(const SafetyOptions& options);
  // Whether the last chain ended with the image written and, where it was read back, found.
  bool succeeded() const { return succeeded_; }

 private:
  PhaseStep chooseAndCheck();
  PhaseStep readChip(const char* purpose);
  PhaseStep afterBackupRead(bool read);
  PhaseStep afterWrite(bool written);
  PhaseStep verdict(bool read);
  PhaseStep finish(bool success);
  bool readsBack() const { return options_.verify && static_cast<bool>(steps_.sentImage); }

  SafeWriteSteps steps_;
  ToolView& view_;
  SafeWriteTexts texts_;
  SafetyOptions options_;
  ChosenImage image_;
  MemoryImage read_;
  std::string backupPath_;
  bool succeeded_ = false;
};

}  // namespace tarvex

#pragma once
// A write or an erase of a chip as the user runs it: the tool's documented sequence with
// the safety steps around it, each step its own link session.
//   write: image chosen and checked -> backup read of the chip -> the tool's look at what
//          the chip holds (a MEC16 main block must be blank) -> the write -> read-back
//          compared with what was sent (erased past its end)
//   erase: backup read of the block(s) -> the erase -> read-back that they are blank
// A step that is turned off adds no byte on the link: with all of them off (and forced)
// only the documented sequence runs. A change that fails once it has begun altering the
// chip adds the line that the chip is now partly written, naming the backup.
// This chain exists once; what differs between the tools comes in as hooks.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frame/file_load.h"
#include "frame/image_sink.h"
#include "frame/phase_chain.h"
#include "safety/partly_changed_line.h"
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

enum class ChangeKind { kWrite, kErase };

struct SafeChangeSteps {
  ChangeKind kind = ChangeKind::kWrite;

  // Write: the file dialog and the load; nothing (the reason logged) when there is no image.
  std::function<std::optional<ChosenImage>()> chooseImage;
  // Write: findings of the tool's own about the image, checked after its size and blank.
  std::function<std::vector<ImageFinding>(std::span<const std::uint8_t> image)> moreFindings;
  // Write: settles one of those findings the tool's own way instead of the Yes/No question
  // (a wrong checksum may be corrected in the image sent): true to go on, false when the
  // user said No (the cancelled line is logged here), nothing to ask as usual.
  std::function<std::optional<bool>(const ImageFinding& finding, const SafetyOptions& options,
                                    std::vector<std::uint8_t>& image)>
      settleFinding;

  // Prepare a read of the chip into memory (no dialog); false when it could not start (the
  // reason logged). The prepared read runs in runRead, on the worker.
  std::function<bool(MemoryImage& into, const char* purpose)> startRead;
  std::function<bool()> runRead;
  bool readsStoppable = false;  // the tool's stop request ends a read early

  // Prepare the change (for a write, of the image chosen); false when it could not start.
  // The prepared change runs in runChange, on the worker.
  std::function<bool(const std::string& fileName, std::vector<std::uint8_t> image)> startChange;
  std::function<bool()> runChange;
  // Whether the last change had sent its first erase or write command.
  std::function<bool()> flashTouched;
  // What the chip must read back after the change: a write's bytes as sent (padding
  // included; bytes past their end must read erased), an erase's nothing but FFh. Nothing
  // when the change has no read-back of its own here (the adapter verifies it).
  std::function<std::optional<std::vector<std::uint8_t>>()> expectedAfter;

  // What the chip holds before the change, as read by the backup (or readChipAlone): false
  // ends the chain (the reason logged). For the MEC16 write, whose main block must be blank.
  std::function<bool(std::span<const std::uint8_t> chip, const SafetyOptions& options)> acceptChip;
  // The chip is read before the change even with backups off (and not forced), for
  // acceptChip; that read is logged with its own purpose.
  const char* readChipAlone = nullptr;

  std::uint64_t chipSize = 0;
  int gauge = 0;  // the gauge a read-back verdict colours
};

struct SafeChangeTexts {
  const SafetyTexts& safety;
  const PartlyChangedTexts& partly;
  const char* backupRead;   // logged as the backup read starts
  const char* verifyRead;   // logged as the read-back starts
  const char* notVerified;  // the change ended without a read-back it has (turned off)
};

class SafeChange {
 public:
  SafeChange(SafeChangeSteps steps, ToolView& view, SafeChangeTexts texts)
      : steps_(std::move(steps)), view_(view), texts_(texts) {}

  // The chain runs on this object, which must outlive it. One at a time.
  PhaseChain chain(const SafetyOptions& options);
  // Whether the last chain ended with the change done and, where it was read back, found.
  bool succeeded() const { return succeeded_; }
  // The texts can change between runs (a MEC16 erase names the blocks it backs up).
  void setBackupRead(const char* purpose) { texts_.backupRead = purpose; }

 private:
  bool writing() const { return steps_.kind == ChangeKind::kWrite; }
  bool readsBefore() const;
  PhaseStep chooseAndCheck();
  bool acceptFindings(const std::vector<ImageFinding>& findings);
  PhaseStep readChip(const char* purpose);
  PhaseStep afterFirstRead(bool read);
  PhaseStep startChange();
  PhaseStep afterChange(bool changed);
  PhaseStep verdict(bool read);
  PhaseStep finish(bool success);

  SafeChangeSteps steps_;
  ToolView& view_;
  SafeChangeTexts texts_;
  SafetyOptions options_;
  ChosenImage image_;
  MemoryImage read_;
  std::optional<std::vector<std::uint8_t>> expected_;
  std::string backupPath_;
  bool succeeded_ = false;
};

}  // namespace tarvex

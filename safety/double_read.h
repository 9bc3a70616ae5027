#pragma once
// A read from a chip as the user runs it: the tool's documented read sequence twice, each
// its own link session into memory, and the two images compared. Only when they are equal
// does the image go under the chosen name (staged as any read's image is). Two reads that
// differ are a poor contact or a failing chip: the chosen file stays as it was, the read
// fails saying where they differ, and both reads are kept beside it as
// "<name>.read1.mismatch" and "<name>.read2.mismatch", names nobody takes for a good dump.
// A read that fails keeps what it received as "<name>.partial", as a single read does.
// A tool whose read asks for its file only once the adapter is done (the EDID read) takes
// both reads first and asks once after the compare: for the image when they are equal, for
// where to keep them when they differ; a read that fails then keeps nothing, as its single
// read does.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "safety/double_read_texts.h"
#include "frame/image_sink.h"
#include "frame/phase_chain.h"
#include "frame/staged_image.h"
#include "frame/tool_view.h"

namespace tarvex {

struct DoubleReadSteps {
  // The file dialog; the answer begun in `target` and named in the log. False (the reason
  // logged) when there is nothing to read into.
  std::function<bool(StagedImage& target)> chooseTarget;
  // Prepares one read of the chip into memory without a dialog, `purpose` logged where a
  // read names its file; false when it could not start (the reason logged). The prepared
  // read runs in runWork, on the worker.
  std::function<bool(MemoryImage& into, const char* purpose)> startRead;
  std::function<bool()> runWork;
  bool stoppable = false;  // the tool's stop request ends a read early
  int gauge = 0;           // the gauge a mismatch turns red

  // Runs as the chain starts, before anything else (a read button's clearing of the log).
  std::function<void()> begin;
  // The dialog after the two reads, not before them.
  bool chooseAfterReads = false;
  // With equal reads: the image shown before the dialog, and after the file is dealt with
  // (saved or not). Either may be left empty.
  std::function<void(std::span<const std::uint8_t> image)> showImage;
  std::function<void(std::span<const std::uint8_t> image)> afterImage;
};

class DoubleRead {
 public:
  DoubleRead(DoubleReadSteps steps, ToolView& view, const DoubleReadTexts& texts)
      : steps_(std::move(steps)), view_(view), texts_(texts) {}

  // The chain runs on this object, which must outlive it. One at a time.
  PhaseChain chain();
  // Whether the last chain ended with two equal reads saved under the chosen name.
  bool succeeded() const { return succeeded_; }

 private:
  PhaseStep read(MemoryImage& into, const char* purpose);
  PhaseStep afterFirst(bool read);
  PhaseStep afterSecond(bool read);
  PhaseStep reportMismatch(std::size_t count, std::size_t firstAddress);
  // Keeps a failed read's bytes as the partial file and says where.
  void keepPartial(const MemoryImage& failed);
  void keepRead(const MemoryImage& read, const char* suffix, const char* lead);
  PhaseStep finish(bool success);

  DoubleReadSteps steps_;
  ToolView& view_;
  const DoubleReadTexts& texts_;
  StagedImage target_;
  bool matched_ = false;  // the two reads of this run were equal
  MemoryImage first_;
  MemoryImage second_;
  bool succeeded_ = false;
};

}  // namespace tarvex

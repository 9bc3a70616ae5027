#pragma once
// The EDID write as the user runs it: the plain write with the safety steps around
// it, each its own link session.
//   file chosen, decoded and checked (size, blank, header, checksum: asked about, or with a
//   wrong checksum corrected in the image sent) -> backup read of the EEPROM -> the write
//   -> read-back compared with exactly the 256 bytes sent
// A step that is turned off adds no byte on the link: with all of them off (and forced)
// only the plain write runs.

#include <cstdint>
#include <vector>

#include "safety/image_checks.h"
#include "frame/image_sink.h"
#include "frame/phase_chain.h"
#include "safety/safety_net.h"
#include "tools/edid/edid_tool.h"

namespace tarvex::edid {

class EdidSafeOps {
 public:
  EdidSafeOps(EdidTool& tool, ToolView& view) : tool_(tool), view_(view) {}

  // The chain runs on this object, which must outlive it. fixChecksum: a wrong base-block
  // checksum is corrected without asking (the command line's --fix-checksum).
  PhaseChain write(const SafetyOptions& options, bool fixChecksum);
  // Whether the last chain ended with the image written and, unless verification was
  // off, confirmed.
  bool succeeded() const { return succeeded_; }

 private:
  PhaseStep chooseAndCheckImage();
  // False once the user (or the missing --force) said No; the cancelled line is logged.
  bool acceptFindings(const std::vector<ImageFinding>& findings,
                      const std::vector<std::string>& alreadyLogged);
  bool acceptChecksum(const ImageFinding& finding);
  PhaseStep afterBackupRead(bool readSucceeded);
  PhaseStep afterWrite(bool written);
  PhaseStep verdict(bool readSucceeded);
  PhaseStep finish(bool success);

  EdidTool& tool_;
  ToolView& view_;
  SafetyOptions options_;
  bool fixChecksum_ = false;
  std::vector<std::uint8_t> image_;  // the 256 bytes to send
  MemoryImage read_;
  bool succeeded_ = false;
};

}  // namespace tarvex::edid

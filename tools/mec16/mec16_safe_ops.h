#pragma once
// The MEC16 erase and write as the user runs them: the documented sequence with the safety
// steps around it, each its own link session.
//   write: file chosen and checked -> backup read of MAIN (or, with backups off, a blank
//          check read) -> stop unless MAIN is blank or the user goes on -> the write ->
//          read-back of MAIN compared with what was sent
//   erase: backup read of the block(s) -> the erase -> read-back that they are blank
// A step that is turned off adds no byte on the link: with all of them off (and forced)
// only the documented sequence runs.

#include <optional>
#include <string>
#include <vector>

#include "frame/image_sink.h"
#include "frame/phase_chain.h"
#include "safety/safety_net.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::mec16 {

class Mec16SafeOps {
 public:
  Mec16SafeOps(Mec16Tool& tool, Mec16View& view) : tool_(tool), view_(view) {}

  // The chains run on this object, which must outlive them. One at a time.
  PhaseChain write(const SafetyOptions& options, bool infoBoxChecked);
  PhaseChain erase(const SafetyOptions& options, bool withInfo);
  // Whether the last chain ended with everything done and confirmed.
  bool succeeded() const { return succeeded_; }

 private:
  PhaseStep chooseAndCheckImage();
  PhaseStep readMain(const char* purpose, bool withInfo);
  PhaseStep afterFirstRead(bool readSucceeded);
  PhaseStep startWrite();
  PhaseStep afterWrite(bool written);
  PhaseStep verdict(bool readSucceeded, bool blank);
  PhaseStep finish(bool success);

  Mec16Tool& tool_;
  Mec16View& view_;
  SafetyOptions options_;
  bool infoBox_ = false;
  bool withInfo_ = false;
  std::string fileName_;
  std::vector<std::uint8_t> image_;
  MemoryImage read_;
  std::string backupPath_;  // the backup this chain made, if any
  bool succeeded_ = false;
};

}  // namespace tarvex::mec16

#pragma once
// The EDID write as the user runs it: the plain write inside the safety chain, with the
// EDID's own parts as its hooks. The image is decoded in the log first; a missing header
// is asked about like any finding, a wrong base-block checksum with a third answer that
// corrects it in the image sent (or, with fixChecksum, corrected without asking). The
// read-back compares exactly the 256 bytes sent.

#include <cstdint>
#include <string>
#include <vector>

#include "safety/safe_change.h"
#include "tools/edid/edid_tool.h"

namespace tarvex::edid {

class EdidSafeOps {
 public:
  EdidSafeOps(EdidTool& tool, ToolView& view);

  // The chain runs on this object, which must outlive it. fixChecksum: a wrong base-block
  // checksum is corrected without asking (the command line's --fix-checksum).
  PhaseChain write(const SafetyOptions& options, bool fixChecksum);
  // Whether the last chain ended with the image written and, unless verification was
  // off, confirmed.
  bool succeeded() const { return change_.succeeded(); }

 private:
  SafeChangeSteps steps();
  std::optional<ChosenImage> chooseImage();
  std::optional<bool> settleFinding(const ImageFinding& finding, const SafetyOptions& options,
                                    std::vector<std::uint8_t>& image);

  EdidTool& tool_;
  ToolView& view_;
  bool fixChecksum_ = false;
  MemoryImage* readInto_ = nullptr;  // the read the chain prepared
  const char* readPurpose_ = nullptr;
  std::vector<std::uint8_t> image_;  // the 256 bytes to send
  std::vector<std::string> decode_;  // the decode of the image chosen, as logged
  SafeChange change_;
};

}  // namespace tarvex::edid

#pragma once
// The MEC16 erase and write as the user runs them: the documented sequence inside the
// safety chain, with the MEC16's own parts as its hooks.
//   write: a main block that is not blank stops the write (erase first) unless the user goes
//          on; with backups off the block is still read for that check, unless forced
//   erase: the backup names the blocks it holds; the read-back must find them blank
// Every read stops at the tool's stop request.

#include <string>
#include <vector>

#include "safety/safe_change.h"
#include "tools/mec16/mec16_tool.h"

namespace tarvex::mec16 {

class Mec16SafeOps {
 public:
  Mec16SafeOps(Mec16Tool& tool, Mec16View& view);

  // The chains run on this object, which must outlive them. One at a time.
  PhaseChain write(const SafetyOptions& options, bool infoBoxChecked);
  PhaseChain erase(const SafetyOptions& options, bool withInfo);
  // Whether the last chain ended with everything done and confirmed.
  bool succeeded() const { return last_ && last_->succeeded(); }

 private:
  SafeChangeSteps commonSteps(ChangeKind kind);
  std::optional<ChosenImage> chooseImage();
  bool acceptChip(std::span<const std::uint8_t> chip, const SafetyOptions& options);

  Mec16Tool& tool_;
  Mec16View& view_;
  bool infoBox_ = false;
  bool withInfo_ = false;  // the erase and its reads take the information block too
  SafeChange write_;
  SafeChange erase_;
  const SafeChange* last_ = nullptr;
};

}  // namespace tarvex::mec16

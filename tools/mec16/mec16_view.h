#pragma once
// What the MEC16 operations need from their window beyond the common tool view: the two
// protection indicators.

#include "frame/tool_view.h"

namespace tarvex::mec16 {

enum class Indicator {
  kBootLock,  // Shape_BootLock_MEC
  kFwp,       // Shape_FWP_MEC16
};

namespace indicator_color {
inline constexpr Rgb kNoStatus{0x00, 0x00, 0x00};
inline constexpr Rgb kAllowed{0x00, 0xFF, 0x00};
inline constexpr Rgb kRefused{0xFF, 0x00, 0x00};
}  // namespace indicator_color

class Mec16View : public ToolView {
 public:
  virtual void setIndicator(Indicator which, Rgb color) = 0;
};

}  // namespace tarvex::mec16

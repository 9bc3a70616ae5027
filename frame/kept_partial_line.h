#pragma once
// The log line that names the file a failed read's bytes were kept in. Each tool words it
// in its own log language: the lead before the file name, then the byte count between two
// pieces of text of its own.

#include <string>
#include <string_view>

#include "base/printable.h"
#include "frame/staged_image.h"

namespace tarvex {

inline std::string keptPartialLine(std::string_view lead, const StagedImage::Kept& kept,
                                   std::string_view beforeCount, std::string_view afterCount) {
  return std::string(lead) + printable(kept.path) + std::string(beforeCount) +
         std::to_string(kept.bytes) + std::string(afterCount);
}

}  // namespace tarvex

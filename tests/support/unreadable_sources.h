#pragma once
// Image sources a write must refuse before it touches the chip: a folder, a pipe with no
// writer (opening it plainly would wait for good), a regular file whose first read fails,
// and a good file whose read fails part way (a failing disk). Each comes with its name for
// failure messages; `arm` and `disarm` put the part-way fault in place and take it away.

#include <filesystem>
#include <string>
#include <vector>

#include "frame/file_load.h"
#include "tests/support/test_platform.h"

namespace tarvex::test {

struct UnreadableSource {
  std::string name;
  std::string path;
  std::size_t failAfter = 0;  // bytes read before the read fails; 0: fails by itself
  void arm() const {
    if (failAfter > 0) failLoadsAfterForTesting(failAfter);
  }
  void disarm() const { failLoadsAfterForTesting(std::nullopt); }
};

// `goodFile` must be a readable image longer than `failAfter` bytes.
inline std::vector<UnreadableSource> unreadableSources(const std::filesystem::path& dir,
                                                       const std::string& goodFile,
                                                       std::size_t failAfter = 1000) {
  const auto folder = dir / "folder.bin";
  const auto pipe = dir / "pipe.bin";
  std::filesystem::create_directories(folder);
  std::vector<UnreadableSource> sources{{"folder", folder.string()},
                                        {"read error part way", goodFile, failAfter}};
  if (makeFifo(pipe)) sources.push_back({"pipe", pipe.string()});
  if (*kUnreadableFile) sources.push_back({"read error", kUnreadableFile});
  return sources;
}

}  // namespace tarvex::test

// The MEC1609 controller of the demo laptop: a plausible firmware image in MAIN (code in
// the first 96 KiB with a version string, the rest erased) and an erased INFO block.

#include <cstring>
#include <memory>
#include <vector>

#include "emulator/mec16/demo_mec16.h"
#include "emulator/mec16/mec1609.h"

namespace tarvex::emu {

std::vector<std::shared_ptr<CommandHandler>> demoMec16Chips() {
  auto chip = std::make_shared<Mec1609>();
  std::vector<std::uint8_t> image(mec1609::kMainSize, 0xFF);
  std::uint32_t seed = 0x1609;
  for (std::size_t i = 0; i < 96 * 1024; ++i) {
    seed = seed * 1103515245u + 12345u;
    image[i] = static_cast<std::uint8_t>(seed >> 16);
  }
  const char version[] = "DEMO EC FW 1.07 (MEC1609)";
  std::memcpy(&image[0x100], version, sizeof version);
  chip->setMain(std::move(image));
  chip->fillInfo(0xFF);
  chip->setEraseBusyPolls(200);
  return {chip};
}

}  // namespace tarvex::emu

#include "emulator/kb90/demo_kb90.h"

#include <chrono>
#include <random>
#include <string>

#include "emulator/kb90/kb90_controller.h"

namespace tarvex::emu {

std::vector<std::uint8_t> demoKb90Flash() {
  std::vector<std::uint8_t> flash(Kb90Controller::kFlashSize, 0xFF);
  // An 8051-style image: a jump at the reset vector, interrupt vectors every 8 bytes,
  // about 88 KiB of code, a version string, and the rest erased.
  const std::uint8_t reset[] = {0x02, 0x01, 0x00};
  std::copy(std::begin(reset), std::end(reset), flash.begin());
  for (std::size_t vector = 0x03; vector < 0x100; vector += 8) {
    flash[vector] = 0x02;
    flash[vector + 1] = 0x10;
    flash[vector + 2] = static_cast<std::uint8_t>(vector);
  }
  std::mt19937 random(9012);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t i = 0x100; i < 0x16000; ++i) flash[i] = static_cast<std::uint8_t>(byte(random));
  const std::string version = "KB9012 EC FIRMWARE 1.07 NORVIK NB-4410";
  std::copy(version.begin(), version.end(), flash.begin() + 0x16000);
  return flash;
}

Kb90Timing demoKb90Timing() {
  using namespace std::chrono_literals;
  return {.erase = 400ms, .blockRead = 600us, .blockProgram = 2ms, .checksumBlock = 300us};
}

std::vector<std::shared_ptr<CommandHandler>> kb90DemoLaptop() {
  auto controller = std::make_shared<Kb90Controller>(0x0C);
  controller->setFlash(demoKb90Flash());
  controller->setTiming(demoKb90Timing());
  return {controller};
}

}  // namespace tarvex::emu

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "cli/cli_env.h"
#include "link/serial/serial_bus.h"

namespace tarvex::cli {
namespace {

// $HOME as the desktop program takes it, else the account's home directory.
std::string homeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* account = getpwuid(getuid()); account && account->pw_dir) {
    return account->pw_dir;
  }
  return "/";
}

}  // namespace

BusFactory serialBusFactory() {
  return [](const std::optional<std::string>& portPath) -> std::unique_ptr<FtBus> {
    if (portPath) return serial::SerialBus::forPath(*portPath);
    return std::make_unique<serial::SerialBus>();
  };
}

void setHomeBaseFiles(CliEnv& env) {
  const std::string home = homeDirectory();
  const std::string dir = home.back() == '/' ? home : home + "/";
  env.kb90BaseFile = dir + "MB connection KB901X.txt";
  env.itePresetsFile = dir + "MB connection IT85XX.txt";
}

}  // namespace tarvex::cli

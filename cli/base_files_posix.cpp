#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "cli/cli_env.h"

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

void setHomeBaseFiles(CliEnv& env) {
  const std::string home = homeDirectory();
  const std::string dir = home.back() == '/' ? home : home + "/";
  env.kb90BaseFile = dir + "MB connection KB901X.txt";
  env.itePresetsFile = dir + "MB connection IT85XX.txt";
}

}  // namespace tarvex::cli

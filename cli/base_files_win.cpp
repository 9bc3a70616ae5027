#include "cli/cli_env.h"

namespace tarvex::cli {

// Where the program has always kept them on Windows: the root of the C: drive.
void setHomeBaseFiles(CliEnv& env) {
  env.kb90BaseFile = "C:\\MB connection KB901X.txt";
  env.itePresetsFile = "C:\\MB connection IT85XX.txt";
}

}  // namespace tarvex::cli

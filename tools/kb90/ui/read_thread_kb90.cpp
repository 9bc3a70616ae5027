#include "tools/kb90/ui/read_thread_kb90.h"

namespace tarvex {

// Blocks on the link's receive queue between blocks; never spins.
void ReadThread_KB90::Execute() { tool_.runWorker(); }

}  // namespace tarvex

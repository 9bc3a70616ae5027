#include "tools/ite/ui/read_thread_ite.h"

namespace tarvex {

// Sequential: every wait inside blocks on the link with a bound; nothing spins.
void ReadThread_ITE::Execute() { tool_.runWorker(); }

}  // namespace tarvex

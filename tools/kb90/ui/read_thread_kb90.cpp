#include "tools/kb90/ui/read_thread_kb90.h"

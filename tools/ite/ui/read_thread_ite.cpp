#include "tools/ite/ui/read_thread_ite.h"

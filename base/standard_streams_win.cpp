// On Windows files are opened as handles, never as C runtime descriptors, so a missing
// standard stream cannot hand its number to an adapter's port or an image file: there is
// nothing to fill.

#include "base/standard_streams.h"

namespace tarvex {

bool fillStandardStreams() { return true; }

}  // namespace tarvex

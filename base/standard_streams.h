#pragma once
// A program started with standard input, output or error closed (`2>&-`) would hand those
// numbers to the next files it opens: an adapter's port on descriptor 2 then receives the
// progress text as commands, an image file on descriptor 1 the log lines. Every program
// fills such gaps with /dev/null before it opens anything else.

namespace tarvex {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is not open. False when one of
// them could not be filled: the program must then open nothing and end.
bool fillStandardStreams();

}  // namespace tarvex

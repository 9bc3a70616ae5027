#pragma once
// What tarvex-cli needs from the console it runs in: the stop requests (Ctrl-C) turned into
// the run's interrupt flag, text that reaches the screen as UTF-8, and whether standard
// error is a terminal. console_posix.cpp takes signals; console_win.cpp takes the console's
// control events.

#include <atomic>

namespace tarvex::cli {

// Prepares the console: output in UTF-8, a reader that goes away never ending the program.
void setUpConsole();

// From now on a stop request (Ctrl-C, a closed console or session, a termination request)
// raises *interrupted, which asks the running operation to stop as the window's STOP does;
// a second one ends the program at once.
void watchStopRequests(std::atomic<bool>* interrupted);

bool standardErrorIsTerminal();

}  // namespace tarvex::cli

// The console on Windows: UTF-8 output, so the Russian log lines read right in cmd.exe and
// PowerShell, and the console's control events (Ctrl-C, Ctrl-Break, a closed window) as
// stop requests.

#include <windows.h>

#include <io.h>

#include <cstdio>

#include "cli/console.h"

namespace tarvex::cli {
namespace {

std::atomic<bool>* gInterrupted = nullptr;

// Runs on a thread the system starts for the event. TRUE: handled, the program goes on
// and the operation stops along its own path. The second request, or a closing console
// (which ends the process after the handler returns anyway), is left to the default action.
BOOL WINAPI onControlEvent(DWORD event) {
  if (gInterrupted == nullptr) return FALSE;
  const bool again = gInterrupted->exchange(true);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return again ? FALSE : TRUE;
  return FALSE;
}

}  // namespace

void setUpConsole() { SetConsoleOutputCP(CP_UTF8); }

void watchStopRequests(std::atomic<bool>* interrupted) {
  gInterrupted = interrupted;
  SetConsoleCtrlHandler(onControlEvent, TRUE);
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace tarvex::cli

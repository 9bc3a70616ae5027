#pragma once
// Starting the program: the application object, its title, the seven windows in order,
// then the message loop until the main window closes.

#include <functional>

#include "app/shell.h"

namespace tarvex {

// Runs the program on the given device bus. afterStart sees the windows once the main
// window is shown (the demo program adds its bench control there). Always returns 0.
int runTarvex(int& argc, char** argv, FtBus& bus, BaseFilePaths paths,
              const std::function<void(Shell&)>& afterStart = {});

// Where the program keeps its two connection base files.
BaseFilePaths installedBaseFilePaths();

}  // namespace tarvex

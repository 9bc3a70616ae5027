#pragma once
// Where an error that escaped an event handler or a worker ends up. The program installs a
// reporter that shows the text in a message box and goes on.

#include <functional>
#include <string>

namespace tarvex {

using ErrorReporter = std::function<void(const std::string& text)>;

void setUnhandledErrorReporter(ErrorReporter reporter);
// Callable from any thread; the reporter runs on the user-interface thread.
void reportUnhandledError(const std::string& text);

}  // namespace tarvex

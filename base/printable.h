#pragma once
// Text from outside the program (a file name, a line of a base file) shown in the log, a
// label or a list: control characters could start a line of their own that looks like
// the program's ("Reading completed successfully."), or steer the terminal. They are shown
// escaped instead.

#include <string>
#include <string_view>

namespace tarvex {

// The text with every control character written out: \n, \r and \t by name, other
// control bytes and bytes that are not UTF-8 as \xHH, invisible format and line-separator
// characters as \uXXXX. Printable UTF-8 (Cyrillic included) stays as it is, so an ordinary
// name comes back unchanged.
std::string printable(std::string_view text);

}  // namespace tarvex

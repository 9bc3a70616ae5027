#pragma once
// The mainboards of a connection base file as the command line lists and names them: the
// entry's text up to its first KEY=VALUE pair, shown printable.

#include <string>
#include <vector>

namespace tarvex::cli {

// "Norvik NB-4410 rev.B  KSO3=5 KSI4=10" gives "Norvik NB-4410 rev.B"; an entry with no
// text before its pins, or an empty line, gives "(no name)".
std::string boardName(const std::string& entry);

// One line per entry: its number from 1, right-aligned, then its board name.
std::vector<std::string> boardListLines(const std::vector<std::string>& entries);

// "mainboard N: NAME", the line that says which entry a run uses.
std::string chosenBoard(int number, const std::string& entry);

}  // namespace tarvex::cli

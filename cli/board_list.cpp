#include "cli/board_list.h"

#include "base/printable.h"

namespace tarvex::cli {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string boardName(const std::string& entry) {
  // The start of the first word that holds '=': the pins begin there.
  std::size_t end = entry.size();
  std::size_t word = 0;
  while (word < entry.size()) {
    while (word < entry.size() && isSpace(entry[word])) ++word;
    std::size_t wordEnd = word;
    while (wordEnd < entry.size() && !isSpace(entry[wordEnd])) ++wordEnd;
    if (entry.find('=', word) < wordEnd) {
      end = word;
      break;
    }
    word = wordEnd;
  }
  while (end > 0 && isSpace(entry[end - 1])) --end;
  std::size_t start = 0;
  while (start < end && isSpace(entry[start])) ++start;
  if (start == end) return "(no name)";
  return printable(std::string_view(entry).substr(start, end - start));
}

std::vector<std::string> boardListLines(const std::vector<std::string>& entries) {
  const std::string last = std::to_string(entries.size());
  std::vector<std::string> lines;
  lines.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string number = std::to_string(i + 1);
    number.insert(0, last.size() - number.size(), ' ');
    lines.push_back(number + "  " + boardName(entries[i]));
  }
  return lines;
}

std::string chosenBoard(int number, const std::string& entry) {
  return "mainboard " + std::to_string(number) + ": " + boardName(entry);
}

}  // namespace tarvex::cli

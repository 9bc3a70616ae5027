#include <vector>

#include "widgets/dialog_provider.h"

namespace tarvex {

namespace {

std::vector<std::string> splitBars(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '|') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

// "*.bin;*.rom" lists several patterns; Qt separates them with blanks.
std::string qtPatterns(const std::string& patterns) {
  std::string out;
  for (char c : patterns) out += (c == ';') ? ' ' : c;
  return out;
}

}  // namespace

std::string qtFilterFromPairs(const std::string& filter) {
  if (filter.empty()) return {};
  const auto parts = splitBars(filter);
  std::string out;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    const std::string& description = parts[i];
    const std::string patterns = i + 1 < parts.size() ? qtPatterns(parts[i + 1]) : "*";
    if (!out.empty()) out += ";;";
    if (description.find('(') != std::string::npos) {
      // Qt reads the patterns from the last parentheses; swap them for the real ones.
      const auto open = description.rfind('(');
      std::string head = description.substr(0, open);
      while (!head.empty() && head.back() == ' ') head.pop_back();
      out += head + " (" + patterns + ")";
    } else {
      out += description + " (" + patterns + ")";
    }
  }
  return out;
}

}  // namespace tarvex

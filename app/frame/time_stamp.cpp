#include "app/frame/time_stamp.h"

#include <ctime>

namespace tarvex {

std::string timeStampLine(const std::string& stampWord) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return stampWord + text;
}

}  // namespace tarvex

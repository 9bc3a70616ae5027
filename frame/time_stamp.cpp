#include "frame/time_stamp.h"

#include <ctime>

#include "base/native_files.h"

namespace tarvex {

std::string timeStampLine(const std::string& stampWord) {
  const std::tm local = native::localTime(std::time(nullptr));
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return stampWord + text;
}

}  // namespace tarvex

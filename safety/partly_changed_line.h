#pragma once
// The log line after a write or erase that ended early, once its first erase or write
// command had gone out: the flash now holds part old, part new (or erased) content. It
// says so, warns against cutting power or the cable, asks for the image to be written
// again, and names the backup this run made, if any. Each tool words it in its own log
// language.

#include <string>

#include "base/printable.h"

namespace tarvex {

struct PartlyChangedTexts {
  const char* line;        // what happened and what to do
  const char* backupLead;  // followed by the backup's path
  const char* backupEnd;   // closes the line after the path
};

inline std::string partlyChangedLine(const PartlyChangedTexts& texts,
                                     const std::string& backupPath) {
  std::string line = texts.line;
  if (!backupPath.empty()) line += texts.backupLead + printable(backupPath) + texts.backupEnd;
  return line;
}

}  // namespace tarvex

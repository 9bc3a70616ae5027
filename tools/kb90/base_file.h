#pragma once
// The connection base file: one mainboard per line, free text holding the connector pins
// of the five controller signals ("KSO3=5 KSI4=10 ..."). Each LF ends an entry, every CR
// is dropped wherever it stands, bytes after the last LF are not an entry, and empty
// lines are kept as empty entries.
//
// Files written on Windows for this tool use the Cyrillic ANSI code page (1251); files
// written as UTF-8 work as they are. A file that is valid UTF-8 is read as UTF-8 (a
// leading byte-order mark dropped), any other file as code page 1251. Entries come out
// as UTF-8 either way.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/file_load.h"

namespace tarvex::kb90 {

// Never fails: any bytes give some list of entries.
std::vector<std::string> parseBaseFile(std::string_view bytes);

// The most of a base file that is read; a longer file loses its entries past this point.
inline constexpr std::size_t kBaseFileMaxBytes = kListFileMaxBytes;

struct BaseFile {
  std::vector<std::string> entries;
  bool cut = false;  // the file is longer than kBaseFileMaxBytes
};
// Reads and parses the file, nothing when it cannot be opened or read or is not a
// regular file.
std::optional<BaseFile> loadBaseFile(const std::string& path);

// Code page 1251 text as UTF-8, byte for character.
std::string cp1251ToUtf8(std::string_view bytes);
bool isValidUtf8(std::string_view bytes);

}  // namespace tarvex::kb90

// The KB90xx connection base file: any bytes at the fixed path become a list of entries,
// and every entry goes through the wiring help with every cable size in both orientations,
// as a user picking through the lists would.

#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "tools/kb90/base_file.h"
#include "tools/kb90/kb90_messages.h"
#include "tools/kb90/wiring.h"

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = kb90::parseBaseFile(bytes);

  // One entry per LF; an entry keeps no line breaks and always comes out as UTF-8.
  FUZZ_CHECK(entries.size() == fuzz::countOf(bytes, '\n'));
  for (const std::string& entry : entries) {
    FUZZ_CHECK(entry.find('\n') == std::string::npos);
    FUZZ_CHECK(entry.find('\r') == std::string::npos);
    FUZZ_CHECK(fuzz::wellFormedUtf8(entry));
  }
  FUZZ_CHECK(fuzz::wellFormedUtf8(kb90::cp1251ToUtf8(bytes)));
  // The loader reads the file in chunks: it must see the same entries.
  const auto loaded = kb90::loadBaseFile(fuzz::writeScratchFile(bytes));
  FUZZ_CHECK(loaded.has_value() && loaded->entries == entries && !loaded->cut);

  // Only a handful of entries with every cable: a long file adds nothing new per entry.
  std::size_t evaluated = 0;
  for (const std::string& entry : entries) {
    if (++evaluated > 16) break;
    for (const char* cable : kb90::text::kCableItems) {
      for (bool straight : {true, false}) {
        const auto outcome = kb90::evaluateWiring(entry, cable, straight);
        FUZZ_CHECK(!outcome.text.empty());
        FUZZ_CHECK(fuzz::wellFormedUtf8(outcome.text) || !fuzz::wellFormedUtf8(entry));
      }
    }
  }
  return 0;
}

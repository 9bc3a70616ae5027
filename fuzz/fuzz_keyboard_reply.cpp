// A keyboard scan reply as the adapter may send it, in reads of any size. Input: the first
// byte sets the read size (1..16 bytes), the rest is the byte stream.
//
// The buffer keeps at most its capacity, a reply is complete exactly when the last byte
// received is '&', and every pair the parser reports follows the record rule: no pin 0 as
// a first pin, no record or end marker as a pin, at most one pair per byte.

#include <algorithm>
#include <span>

#include "fuzz_check.h"
#include "tools/keyboard/pin_grid.h"
#include "tools/keyboard/reply_buffer.h"
#include "tools/keyboard/reply_parser.h"

using namespace tarvex::keyboard;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t readSize = 1 + data[0] % 16;
  const std::span<const std::uint8_t> stream(data + 1, size - 1);

  ReplyBuffer reply;
  CellGrid grid;
  std::size_t start = 0;  // where the reply being gathered began
  std::size_t offset = 0;
  while (offset < stream.size()) {
    const std::size_t take = std::min(readSize, stream.size() - offset);
    reply.append(stream.subspan(offset, take));
    offset += take;

    const std::size_t received = offset - start;
    FUZZ_CHECK(reply.received() == received);
    FUZZ_CHECK(reply.bytes().size() == std::min(received, ReplyBuffer::kCapacity));
    FUZZ_CHECK(reply.overflowed() == (received > ReplyBuffer::kCapacity));
    FUZZ_CHECK(reply.complete() == (stream[offset - 1] == '&'));
    FUZZ_CHECK(std::equal(reply.bytes().begin(), reply.bytes().end(), stream.begin() + start));
    if (!reply.complete()) continue;

    const auto pairs = parseReply(reply.bytes());
    FUZZ_CHECK(pairs.size() <= reply.bytes().size());
    for (const PinPair& pair : pairs) {
      FUZZ_CHECK(pair.first != 0);
      FUZZ_CHECK(pair.first != '>' && pair.first != '&');
      FUZZ_CHECK(pair.second != '>' && pair.second != '&');
      const auto before = grid.color(pair.first, pair.second);
      const auto after = grid.toggle(pair.first, pair.second);
      if (namesCell(pair.first, pair.second)) {
        FUZZ_CHECK(after == cell_colors::kRed || after == cell_colors::kYellow);
        FUZZ_CHECK((after == cell_colors::kYellow) == (before == cell_colors::kRed));
      }
    }
    // The scan starts afresh for each request.
    reply.clear();
    FUZZ_CHECK(reply.received() == 0 && reply.bytes().empty() && !reply.complete());
    start = offset;
  }
  return 0;
}

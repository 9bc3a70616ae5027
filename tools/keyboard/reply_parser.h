#pragma once
// Reading the pin pairs out of a scan reply. A reply is zero or more pair records, each
// '>' then a first pin byte then one or more second pin bytes, ended by '&'. Only the
// bytes before the first '&' count. The rule, byte by byte from first = second = 0:
// '>' resets both; any other byte becomes first while first is 0, and otherwise becomes
// second and reports (first, second), first staying as it is. So '>' p q r reports (p, q)
// and (p, r). Nothing is validated beyond that rule: pins outside 1..32 come out as they
// are, for the caller to judge.

#include <cstdint>
#include <span>
#include <vector>

namespace tarvex::keyboard {

struct PinPair {
  std::uint8_t first = 0;
  std::uint8_t second = 0;
  friend bool operator==(const PinPair&, const PinPair&) = default;
};

// Any bytes at all are safe input; at most one pair per input byte comes out.
std::vector<PinPair> parseReply(std::span<const std::uint8_t> bytes);

}  // namespace tarvex::keyboard

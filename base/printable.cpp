#include "base/printable.h"

#include <cstdint>
#include <cstdio>

namespace tarvex {
namespace {

// The code point of the UTF-8 sequence at text[i] and its length; length 0 when the bytes
// there are not a valid, shortest-form sequence.
struct Decoded {
  std::uint32_t code = 0;
  std::size_t length = 0;
};

Decoded decodeAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  std::uint32_t code = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code = lead & 0x07;
  } else {
    return {};
  }
  if (i + length > text.size()) return {};
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[i + k]);
    if ((byte & 0xC0) != 0x80) return {};
    code = (code << 6) | (byte & 0x3F);
  }
  static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, length};
}

// Characters that print nothing yet change what is shown around them: C1 controls, line
// and paragraph separators, and the marks that reorder text.
bool invisibleFormat(std::uint32_t code) {
  return (code >= 0x80 && code <= 0x9F) || code == 0x2028 || code == 0x2029 ||
         (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
         code == 0x200E || code == 0x200F || code == 0x061C;
}

void appendHex(std::string& out, const char* format, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  out += buffer;
}

}  // namespace

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Decoded c = decodeAt(text, i);
    if (c.length == 0) {
      appendHex(out, "\\x%02X", static_cast<unsigned char>(text[i]));
      ++i;
      continue;
    }
    if (c.code == '\n') {
      out += "\\n";
    } else if (c.code == '\r') {
      out += "\\r";
    } else if (c.code == '\t') {
      out += "\\t";
    } else if (c.code < 0x20 || c.code == 0x7F) {
      appendHex(out, "\\x%02X", c.code);
    } else if (invisibleFormat(c.code)) {
      appendHex(out, "\\u%04X", c.code);
    } else {
      out.append(text.substr(i, c.length));
    }
    i += c.length;
  }
  return out;
}

}  // namespace tarvex

#pragma once
// The display character map: digits, letters, '.' and '_' show as themselves, every other
// byte as a blank.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvex {

char displayChar(std::uint8_t byte);
std::string displayText(const std::uint8_t* bytes, std::size_t count);

}  // namespace tarvex
